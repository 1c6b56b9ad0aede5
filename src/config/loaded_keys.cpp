#include "config/loaded_keys.h"

#include <map>

namespace valdor::config {

void LoadedKeys::own(const std::filesystem::path& file, std::string_view section, std::string_view key) {
  m_keys.push_back({file, std::string(section), std::string(key), std::nullopt});
}

void LoadedKeys::rememberFromFiles() {
  // Each file read once; a file that cannot be read holds no keys, as loading
  // takes it.
  std::map<std::filesystem::path, std::string> contents;
  for (const Key& key : m_keys) {
    if (contents.contains(key.file)) continue;
    auto content = readProfileText(key.file);
    contents.emplace(key.file, content ? *content : std::string());
  }
  for (const auto& [file, content] : contents) rememberContent(file, content);
}

void LoadedKeys::rememberContent(const std::filesystem::path& file, std::string_view content) {
  const ProfileLookup lookup(content);
  for (Key& key : m_keys) {
    if (key.file == file) key.loaded = lookup.find(key.section, key.key);
  }
}

std::vector<std::string> LoadedKeys::changedIn(const std::filesystem::path& file, std::string_view content) const {
  const ProfileLookup lookup(content);
  std::vector<std::string> changed;
  for (const Key& key : m_keys) {
    if (key.file == file && lookup.find(key.section, key.key) != key.loaded) {
      changed.push_back(key.section + "/" + key.key);
    }
  }
  return changed;
}

bool LoadedKeys::unchangedIn(const std::filesystem::path& file, std::string_view content) const {
  return changedIn(file, content).empty();
}

Result saveGuarded(std::initializer_list<ProfileEdit*> edits, LoadedKeys* loaded) {
  if (loaded) {
    for (ProfileEdit* edit : edits) {
      edit->requireStored(
          [loaded, file = edit->file()](std::string_view content) { return loaded->unchangedIn(file, content); });
    }
  }
  Result result = saveTogether(edits);
  if (result && loaded) {
    for (const ProfileEdit* edit : edits) loaded->rememberContent(edit->file(), edit->content());
  }
  return result;
}

}  // namespace valdor::config
