#include "app/config_paths.h"

#include <string>

#include "app/running_game.h"
#include "config/environment.h"
#include "config/file_io.h"

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#endif

namespace valdor::app {

using config::environmentValue;
using config::homeFolder;
using config::joinPath;

#ifdef _WIN32

std::filesystem::path configFolder() {
  if (auto appData = config::environmentPath("APPDATA"); !appData.empty()) return appData;
  return homeFolder();
}

std::filesystem::path documentsFolder(const std::optional<std::filesystem::path>& override) {
  if (override) return *override;
  // Asked wide: a profile named outside the ANSI code page ("Łukasz", "中文")
  // has no narrow name, and the documents folder may be moved anywhere.
  PWSTR folder = nullptr;
  std::filesystem::path documents;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder)) && folder) documents = folder;
  CoTaskMemFree(folder);
  if (documents.empty()) documents = homeFolder() / L"Documents";
  return documents;
}

#else

std::filesystem::path configFolder() {
  if (auto config = environmentValue("XDG_CONFIG_HOME"); config && std::filesystem::path(*config).is_absolute())
    return *config;
  return homeFolder() / ".config";
}

std::filesystem::path documentsFolder(const std::optional<std::filesystem::path>& override) {
  if (override) return *override;
  const auto home = homeFolder();
  if (auto content = config::readFile(configFolder() / "user-dirs.dirs")) {
    if (auto documents = parseUserDirsDocuments(*content, home.native())) return *documents;
  }
  return home / "Documents";
}

#endif

std::optional<std::filesystem::path> parseUserDirsDocuments(std::string_view content, std::string_view home) {
  constexpr std::string_view kName = "XDG_DOCUMENTS_DIR";
  constexpr std::string_view kHome = "$HOME";
  std::optional<std::filesystem::path> found;
  // The file is sourced by shells, so the last valid line wins. Its values
  // are "$HOME/relative" or "/absolute", quoted, with backslash escapes.
  while (!content.empty()) {
    auto end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);

    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (!line.starts_with(kName)) continue;
    line.remove_prefix(kName.size());
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.starts_with('=')) continue;
    line.remove_prefix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') continue;
    line = line.substr(1, line.size() - 2);

    std::string value;
    if (line.starts_with(kHome) && (line.size() == kHome.size() || line[kHome.size()] == '/')) {
      value = home;
      line.remove_prefix(kHome.size());
    } else if (!line.starts_with('/')) {
      continue;
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      value += line[i];
    }
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    found = std::filesystem::path(value);
  }
  return found;
}

std::filesystem::path userFolder(const std::filesystem::path& documents) { return joinPath(documents, "valdor3"); }

void setDocumentsFolder(ConfigPaths& paths, const std::filesystem::path& documents) {
  paths.userOptionsIni = joinPath(documents, "valdor3/UserOptions.ini");
}

void setGameFolder(ConfigPaths& paths, const std::filesystem::path& gameFolder) {
  paths.engineIni = joinPath(gameFolder, "Ini/ve3.ini");
  paths.debugIni = joinPath(gameFolder, "Ini/debug.ini");
  paths.gameExecutable = gameExecutableIn(gameFolder);
}

std::filesystem::path folderOfFile(const std::filesystem::path& file) {
  const auto& text = file.native();
  // The dialog gives native separators; on Windows a '/' may still come from a typed name.
#ifdef _WIN32
  const auto cut = text.find_last_of(L"\\/");
#else
  const auto cut = text.rfind(config::kSeparator);
#endif
  if (cut == std::filesystem::path::string_type::npos) return file;
  return text.substr(0, cut);
}

}  // namespace valdor::app
