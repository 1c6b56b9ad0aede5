#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Steam's library folders, from the text files in which Steam lists them.
namespace valdor::wine {

// The library folders a libraryfolders.vdf text lists, in its order. Both of
// its forms count: the old one, "1" "/path", and the new one, "0" { "path"
// "/path" ... }. Entries with other keys and texts that are no such file give
// nothing, and so does a text over 4 MB, with blocks nested more than 64 deep
// or listing more than 256 libraries: no file Steam writes.
std::vector<std::filesystem::path> parseLibraryFolders(std::string_view vdf);

// The value of `key` (compared without regard to case) directly inside the
// outermost block of a text in Steam's format, such as an app manifest's
// "installdir"; nullopt when there is none or the text is over the limits of
// parseLibraryFolders.
std::optional<std::string> manifestValue(std::string_view vdf, std::string_view key);

// A Steam root's library folders: the root itself, then those its
// steamapps/libraryfolders.vdf and config/libraryfolders.vdf list.
std::vector<std::filesystem::path> steamLibraries(const std::filesystem::path& root);

}  // namespace valdor::wine
