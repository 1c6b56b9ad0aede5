// Any bytes as a Lutris game file. Checks that reading the prefix never
// crashes, however the text is indented or quoted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "wine/wine_discovery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view yaml(reinterpret_cast<const char*>(data), size);
  const auto prefix = valdor::wine::lutrisPrefix(yaml, "/home/player");
  // A prefix is never the empty path: an empty value names none.
  if (prefix && prefix->empty()) std::abort();
  return 0;
}
