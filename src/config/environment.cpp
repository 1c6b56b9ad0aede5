#include "config/environment.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace valdor::config {

#ifdef _WIN32

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
  return text;
}

bool fitsAnsiCodePage(std::wstring_view text) {
  if (text.empty()) return true;
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, &usedDefault);
  return size > 0 && !usedDefault;
}

std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(widen(text)); }

// The environment is read wide: the narrow copy holds the ANSI code page's
// bytes, and a profile folder such as "Łukasz" does not fit in it.
std::optional<std::string> environmentValue(const char* name) {
  const std::wstring wideName = widen(name);
  const wchar_t* value = _wgetenv(wideName.c_str());
  if (!value || !*value) return std::nullopt;
  return narrow(value);
}

#else

std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(std::string(text)); }

std::optional<std::string> environmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

#endif

std::filesystem::path environmentPath(const char* name) {
  auto value = environmentValue(name);
  return value ? pathFromUtf8(*value) : std::filesystem::path();
}

std::filesystem::path homeFolder() {
#ifdef _WIN32
  return environmentPath("USERPROFILE");
#else
  if (auto home = environmentValue("HOME")) return *home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/";
#endif
}

std::filesystem::path joinPath(const std::filesystem::path& folder, std::string_view relative) {
  auto text = folder.native();
  text += kSeparator;
  for (char c : relative) text += static_cast<std::filesystem::path::value_type>(c == '/' ? kSeparator : c);
  return text;
}

}  // namespace valdor::config
