#pragma once

#include <string>
#include <string_view>

// The game's files and the translation table are Windows-1252; the windows and
// the terminal speak UTF-8. These are the only conversions between the two.
namespace valdor::i18n {

std::string cp1252ToUtf8(std::string_view bytes);

// Characters without a Windows-1252 byte become '?'.
std::string utf8ToCp1252(std::string_view utf8);

}  // namespace valdor::i18n
