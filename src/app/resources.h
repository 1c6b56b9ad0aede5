#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "config/file_io.h"

// Files the program carries inside itself and writes out when needed.
namespace valdor::app {

inline constexpr int kTranslationResourceId = 156;
inline constexpr std::string_view kTranslationResourceType = "INI";
inline constexpr int kMusicResourceId = 155;
inline constexpr std::string_view kMusicResourceType = "MUSIC";

// The bytes of an embedded resource, by number and type.
std::optional<std::string_view> findResource(int id, std::string_view type);

// The tool's own private folder for extracted files, created (mode 0700) when
// missing: inside stateDir when given, else under $XDG_RUNTIME_DIR or the
// user's cache folder (the user's temporary folder on Windows). Never a shared
// folder, where another user could plant a file for us to use.
std::filesystem::path privateFolder(const std::optional<std::filesystem::path>& stateDir);

// Writes the resource as folder/fileName unless a readable file of that name
// is already there, which is then used unchanged. The result names that file.
config::Result ExtractResourceToTemp(int id, std::string_view type, std::string_view fileName,
                                     const std::filesystem::path& folder);

}  // namespace valdor::app
