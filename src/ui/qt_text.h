#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

// The one crossing of text between the game's bytes and Qt.
namespace valdor::ui {

// Windows-1252 bytes (the translation table, the game's files) to a QString.
QString toQString(std::string_view cp1252);

// A QString to Windows-1252 bytes; characters without a byte become '?'.
std::string fromQString(const QString& text);

// File names as the system spells them, both ways.
QString pathToQString(const std::filesystem::path& path);
std::filesystem::path pathFromQString(const QString& path);

// Qt's own words (the Yes and No of a question, the file dialog's labels) in
// the tool's language: German for "deutsch", English otherwise.
void applyQtLanguage(std::string_view languageSection);

}  // namespace valdor::ui
