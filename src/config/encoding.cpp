#include "config/encoding.h"

#include <array>

namespace valdor::config {

namespace {

// 0x80 to 0x9F are where Windows-1252 differs from Latin-1.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// What the platform reads for U+0100 to U+017F: the letter without its
// accent, so "Ā" in a Unicode file reads as "A".
constexpr std::string_view kLatinExtendedA =
    "AaAaAaCcCcCcCcDd\xd0" "dEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKk?LlLlLl??LlNnNnNn???OoOoOo\x8c\x9c"
    "RrRrRrSsSsSs\x8a\x9aTtTtTtUuUuUuUuUuUuWwYy\x9f" "ZzZz\x8e\x9e?";
static_assert(kLatinExtendedA.size() == 0x80);

constexpr std::string_view kUtf32Le("\xff\xfe\0\0", 4);
constexpr std::string_view kUtf32Be("\0\0\xfe\xff", 4);

char nearestCp1252(char32_t character, Unmapped unmapped) {
  if (const int byte = unicodeToCp1252(character); byte >= 0) return static_cast<char>(byte);
  if (unmapped == Unmapped::Nul) return '\0';
  if (character >= 0x100 && character < 0x180) return kLatinExtendedA[character - 0x100];
  return '?';
}

std::string decodeUtf16(std::string_view units, bool bigEndian, Unmapped unmapped) {
  std::string text;
  text.reserve(units.size() / 2);
  for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
    const auto first = static_cast<unsigned char>(units[i]);
    const auto second = static_cast<unsigned char>(units[i + 1]);
    // A surrogate pair reads as two '?', one for each half.
    text += nearestCp1252(bigEndian ? char32_t(first << 8 | second) : char32_t(second << 8 | first), unmapped);
  }
  return text;
}

}  // namespace

TextEncoding textEncodingOf(std::string_view bytes) {
  if (bytes.starts_with(kUtf32Le) || bytes.starts_with(kUtf32Be)) return TextEncoding::Unsupported;
  if (bytes.starts_with("\xff\xfe")) return TextEncoding::Utf16Le;
  if (bytes.starts_with("\xfe\xff")) return TextEncoding::Utf16Be;
  return TextEncoding::Ansi;
}

char32_t cp1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char32_t(byte);
}

int unicodeToCp1252(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<int>(character);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == character) return static_cast<int>(0x80 + i);
  }
  return -1;
}

std::string decodeProfileText(std::string_view bytes, Unmapped unmapped) {
  switch (textEncodingOf(bytes)) {
    case TextEncoding::Ansi:
      return std::string(bytes);
    case TextEncoding::Utf16Le:
      return decodeUtf16(bytes.substr(2), false, unmapped);
    case TextEncoding::Utf16Be:
      return decodeUtf16(bytes.substr(2), true, unmapped);
    case TextEncoding::Unsupported:
      break;
  }
  return {};
}

std::size_t fileOffsetOf(TextEncoding encoding, std::size_t textOffset) {
  return encoding == TextEncoding::Ansi ? textOffset : 2 + 2 * textOffset;
}

std::string encodeProfileText(TextEncoding encoding, std::string_view text) {
  if (encoding == TextEncoding::Ansi) return std::string(text);
  std::string units;
  units.reserve(text.size() * 2);
  for (const char c : text) {
    const char32_t character = cp1252ToUnicode(static_cast<unsigned char>(c));
    const char low = static_cast<char>(character & 0xFF);
    const char high = static_cast<char>(character >> 8);
    if (encoding == TextEncoding::Utf16Be) units.append({high, low});
    else units.append({low, high});
  }
  return units;
}

}  // namespace valdor::config
