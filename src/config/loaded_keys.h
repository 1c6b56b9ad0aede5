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

  // Whether every owned key of `file` holds in `content` what it held when
  // remembered (a missing key counts as a value of its own).
  bool unchangedIn(const std::filesystem::path& file, std::string_view content) const;

  // The owned keys of `file` whose value in `content` differs, as "section/key".
  std::vector<std::string> changedIn(const std::filesystem::path& file, std::string_view content) const;

 private:
  friend Result saveGuarded(std::initializer_list<ProfileEdit*> edits, LoadedKeys* loaded);

  // What the owned keys of `file` hold in `content` (a save's own result).
  void rememberContent(const std::filesystem::path& file, std::string_view content);

  struct Key {
    std::filesystem::path file;
    std::string section;
    std::string key;
    std::optional<std::string> loaded;  // nullopt: the key was missing
  };

  std::vector<Key> m_keys;
};

// The edits saved together, as saveTogether does. With `loaded`, nothing is
// written (Failure::ChangedOutside) when an owned key no longer holds what
// was remembered, judged on the files as read under the write lock; after a
// save, what the files now hold is remembered.
Result saveGuarded(std::initializer_list<ProfileEdit*> edits, LoadedKeys* loaded);

}  // namespace valdor::config
