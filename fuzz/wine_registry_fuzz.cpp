// Any bytes as a Wine registry hive, asked for the game's folder under both
// of its keys and for a key's default value. Checks that reading never
// crashes and that every string found is valid UTF-8 without a zero.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "wine/wine_discovery.h"
#include "wine/wine_registry.h"

namespace {

bool isUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace valdor::wine;
  const std::string_view hive(reinterpret_cast<const char*>(data), size);
  constexpr std::array kWanted{RegistryValueName{kGameKey32, "INSTALL_DIR"},
                               RegistryValueName{kGameKey, "INSTALL_DIR"}, RegistryValueName{"a", "@"},
                               RegistryValueName{"Software\\\xc3\xa9", "b"}};
  const auto found = readRegistryStrings(hive, kWanted);
  if (found.size() != kWanted.size()) std::abort();
  for (const auto& value : found) {
    // Bytes of the hive pass through as they stand; those from escapes must
    // come out as UTF-8. An input of only ASCII has no other bytes.
    if (!value) continue;
    if (value->find('\0') != std::string_view::npos) std::abort();
    bool ascii = true;
    for (unsigned char c : hive) ascii = ascii && c < 0x80;
    if (ascii && !isUtf8(*value)) std::abort();
  }
  return 0;
}
