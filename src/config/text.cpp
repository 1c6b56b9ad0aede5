#include "config/text.h"

#include <algorithm>

namespace valdor::config {

std::string toLowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), lowerAscii);
  return lower;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

char lowerCp1252(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte < 0x80) return lowerAscii(c);
  // The accented capitals sit 0x20 below their small letters, except the
  // multiplication sign in their midst.
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return static_cast<char>(byte + 0x20);
  switch (byte) {
    case 0x8A: return static_cast<char>(0x9A);  // Š
    case 0x8C: return static_cast<char>(0x9C);  // Œ
    case 0x8E: return static_cast<char>(0x9E);  // Ž
    case 0x9F: return static_cast<char>(0xFF);  // Ÿ
    default: return c;
  }
}

bool equalsIgnoreCaseCp1252(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerCp1252(x) == lowerCp1252(y); });
}

}  // namespace valdor::config
