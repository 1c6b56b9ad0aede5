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

// A path from the program's own text form (UTF-8, as arguments, stored
// values and messages carry it). On Windows the name is converted to UTF-16;
// a narrow path there would read the bytes in another code page.
std::filesystem::path pathFromUtf8(std::string_view text);

#ifdef _WIN32
// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

// Whether the system's ANSI code page holds every character of the text, so
// that programs using the narrow calls (the game, its installer) can open a
// file of that name.
bool fitsAnsiCodePage(std::wstring_view text);
#endif

// folder, the separator and relative, joined as text: nothing is normalised,
// so a folder with a trailing separator gives a doubled one.
std::filesystem::path joinPath(const std::filesystem::path& folder, std::string_view relative);

}  // namespace valdor::config
