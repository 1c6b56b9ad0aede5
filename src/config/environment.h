#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// What the process is told by its surroundings: environment variables, the
// user's home folder, and the system's path separator.
namespace valdor::config {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// An environment variable's value; nullopt when it is unset or empty.
std::optional<std::string> environmentValue(const char* name);

// An environment variable as a path; empty when it is unset or empty.
std::filesystem::path environmentPath(const char* name);

// The user's home folder: $HOME (%USERPROFILE% on Windows), else the
// account database's entry.
std::filesystem::path homeFolder();

// folder, the separator and relative, joined as text: nothing is normalised,
// so a folder with a trailing separator gives a doubled one.
std::filesystem::path joinPath(const std::filesystem::path& folder, std::string_view relative);

}  // namespace valdor::config
