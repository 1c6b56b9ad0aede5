// Any bytes as a Steam libraryfolders.vdf or app manifest. Checks that reading
// never crashes, however deep the blocks nest, and that what it gives stays
// within the reader's limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "wine/steam_libraries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto libraries = valdor::wine::parseLibraryFolders(text);
  if (libraries.size() > 256) std::abort();
  for (const auto& library : libraries) {
    if (library.empty()) std::abort();
  }
  (void)valdor::wine::manifestValue(text, "installdir");
  (void)valdor::wine::manifestValue(text, "appid");
  return 0;
}
