#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// The full paths of the files every window reads and writes.
namespace valdor::app {

struct ConfigPaths {
  std::filesystem::path translationFile;  // the extracted translation table
  std::filesystem::path userOptionsIni;   // {Documents}/valdor3/UserOptions.ini
  std::filesystem::path engineIni;        // {game folder}/Ini/ve3.ini
  std::filesystem::path debugIni;         // {game folder}/Ini/debug.ini
  std::filesystem::path gameExecutable;   // {game folder}/valdor3.exe, whose process must not be running on a save
};

// The user's configuration folder: $XDG_CONFIG_HOME when it is absolute, else
// ~/.config (%APPDATA% on Windows).
std::filesystem::path configFolder();

// The user's documents folder: the override when given, else the shell's
// personal folder on Windows, the XDG documents folder elsewhere.
std::filesystem::path documentsFolder(const std::optional<std::filesystem::path>& override);

// The XDG_DOCUMENTS_DIR entry of a user-dirs.dirs text with $HOME expanded;
// nullopt when the entry is missing or not in the file's format.
std::optional<std::filesystem::path> parseUserDirsDocuments(std::string_view content, std::string_view home);

// {Documents}/valdor3, the folder of UserOptions.ini.
std::filesystem::path userFolder(const std::filesystem::path& documents);

// Sets userOptionsIni from the documents folder.
void setDocumentsFolder(ConfigPaths& paths, const std::filesystem::path& documents);

// Sets engineIni, debugIni and gameExecutable from the game folder.
void setGameFolder(ConfigPaths& paths, const std::filesystem::path& gameFolder);

// The folder of a chosen file: the path cut at its last separator, which goes
// with the file name; a path without separator is taken whole.
std::filesystem::path folderOfFile(const std::filesystem::path& file);

}  // namespace valdor::app
