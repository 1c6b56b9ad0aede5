#pragma once

#include <filesystem>
#include <string>

// What the tests need from the system beyond the standard library, the same
// on Unix and Windows.
namespace valdor::test {

#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

// A path as the program shows it, with the system's separator: paths built
// in a test with "/" ("game/Ini/ve3.ini") read "game\Ini\ve3.ini" on Windows.
std::string native(const std::filesystem::path& path);

void setEnv(const char* name, const std::string& value);
void unsetEnv(const char* name);

}  // namespace valdor::test

// Skips a test that checks something only Unix has (file modes, symbolic
// links, fork, Wine on the same machine); the reason says which.
#define VALDOR_SKIP_ON_WINDOWS(reason) \
  if (::valdor::test::kWindows) GTEST_SKIP() << reason
