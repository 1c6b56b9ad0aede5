#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Case folding and comparison. The game's names and words (sections, keys,
// value words) fold ASCII letters only, as the game compares them; the
// translated entry texts are Windows-1252 and fold every letter of that code
// page, so that "HORIZONTALE UNSCHÄRFE" names the same entry as its lower case.
namespace valdor::config {

// 'A'..'Z' to 'a'..'z'; every other byte as it is. Inline, as every search
// of a name folds each of its bytes.
inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string toLowerAscii(std::string_view text);

inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);

// Every Windows-1252 capital to its small letter: ASCII, the accented
// capitals 0xC0..0xDE (not 0xD7, the multiplication sign), Š, Œ, Ž and Ÿ.
// Letters without a capital (ß, µ) and every other byte stay as they are.
char lowerCp1252(char c);

// Windows-1252 texts compared with lowerCp1252.
bool equalsIgnoreCaseCp1252(std::string_view a, std::string_view b);

}  // namespace valdor::config
