#include "config/environment.h"

#include <cstdlib>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace valdor::config {

std::optional<std::string> environmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

std::filesystem::path environmentPath(const char* name) {
  auto value = environmentValue(name);
  return value ? std::filesystem::path(*value) : std::filesystem::path();
}

std::filesystem::path homeFolder() {
#ifdef _WIN32
  if (auto profile = environmentValue("USERPROFILE")) return *profile;
  return {};
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
