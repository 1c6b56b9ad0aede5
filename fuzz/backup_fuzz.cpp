// Any bytes as a backup file. Checks that unpacking never reads beyond the
// bytes, and that what it gives packs again into the same leading bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "main_window/backups.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace valdor::main_window;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto contents = UnpackBackup(bytes);
  if (!contents) return 0;
  const auto packed = PackBackup(contents->engine, contents->userOptions);
  if (!packed || !bytes.starts_with(*packed)) std::abort();
  if (UnpackBackup(*packed) != contents) std::abort();
  return 0;
}
