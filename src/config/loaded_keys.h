#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile.h"

// What a window read from the files it edits, key by key, so that a save can
// tell whether another program changed one of those keys in the meantime.
namespace valdor::config {

class LoadedKeys {
 public:
  // Starts remembering the key of `file` (nothing is read yet).
  void own(const std::filesystem::path& file, std::string_view section, std::string_view key);

  // What every owned key holds now; called as the window loads. Taken just
  // before the window reads its values, so a change in between is seen as one.
  void rememberFromFiles();

  // What the owned keys of `file` hold in `content` (a save's own result).
  void rememberContent(const std::filesystem::path& file, std::string_view content);

  // Whether every owned key of `file` holds in `content` what it held when
  // remembered (a missing key counts as a value of its own).
  bool unchangedIn(const std::filesystem::path& file, std::string_view content) const;

  // The owned keys of `file` whose value in `content` differs, as "section/key".
  std::vector<std::string> changedIn(const std::filesystem::path& file, std::string_view content) const;

  // Makes the edit's save fail with Failure::ChangedOutside, writing nothing,
  // when an owned key of its file no longer holds what was remembered.
  void guard(ProfileEdit& edit) const;

 private:
  struct Key {
    std::filesystem::path file;
    std::string section;
    std::string key;
    std::optional<std::string> loaded;  // nullopt: the key was missing
  };

  std::vector<Key> m_keys;
};

}  // namespace valdor::config
