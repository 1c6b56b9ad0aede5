#pragma once

#include <string>
#include <string_view>

// ASCII-only case folding and comparison: the game's names and words are
// compared this way, so bytes above 0x7F (Windows-1252 letters) never fold.
namespace valdor::config {

// 'A'..'Z' to 'a'..'z'; every other byte as it is.
char lowerAscii(char c);

std::string toLowerAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);

}  // namespace valdor::config
