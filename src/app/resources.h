#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "config/file_io.h"

// Files the program carries inside itself and writes out when needed.
namespace valdor::app {

inline constexpr int kTranslationResourceId = 156;
inline constexpr std::string_view kTranslationResourceType = "INI";
inline constexpr int kMusicResourceId = 155;
inline constexpr std::string_view kMusicResourceType = "MUSIC";

// The bytes of an embedded resource, by number and type.
std::optional<std::string_view> findResource(int id, std::string_view type);

// Where the tool keeps the files it extracts, and the places it refused.
struct PrivatePlace {
  std::filesystem::path folder;          // empty: no safe place; nothing is extracted
  std::vector<config::Result> refused;   // Failure::NotPrivate or NotARegularFile, one per place
};

// The folder for extracted files: stateDir when given (created 0700 when
// missing, else kept as it is; refused when it is no folder), else the
// tool's own folder under $XDG_RUNTIME_DIR, then under the user's cache
// folder (the user's temporary folder on Windows). The tool's own folder is
// created 0700 and used only when it is a real folder (no link) owned by this
// user that no one else may enter; it is never chmod'ed into shape.
PrivatePlace choosePrivateFolder(const std::optional<std::filesystem::path>& stateDir);

// choosePrivateFolder's folder alone; empty when there is none.
std::filesystem::path privateFolder(const std::optional<std::filesystem::path>& stateDir);

// Writes the resource as folder/fileName unless a readable regular file of
// that name, owned by this user and writable by no one else, is already there,
// which is then used unchanged. A link of that name is replaced, never
// followed. The result names the file; it fails for an empty folder.
config::Result ExtractResourceToTemp(int id, std::string_view type, std::string_view fileName,
                                     const std::filesystem::path& folder);

// Deletes folder/fileName when it is a regular file of this user (not a link).
void removeExtracted(const std::filesystem::path& file);

}  // namespace valdor::app
