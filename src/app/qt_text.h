#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

// The one crossing of text between the game's bytes and Qt.
namespace valdor::app {

// Windows-1252 bytes (the translation table, the game's files) to a QString.
QString toQString(std::string_view cp1252);

// A QString to Windows-1252 bytes; characters without a byte become '?'.
std::string fromQString(const QString& text);

// File names as the system spells them, both ways.
QString pathToQString(const std::filesystem::path& path);
std::filesystem::path pathFromQString(const QString& path);

}  // namespace valdor::app
