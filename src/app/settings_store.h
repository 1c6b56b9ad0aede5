#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/file_io.h"

// The tool's own two values: the game folder and the language of its windows.
namespace valdor::app {

inline constexpr std::string_view kSettingsKey = "SOFTWARE\\Halvikor\\Valdor III";
inline constexpr std::string_view kInstallDirValue = "INSTALL_DIR";
inline constexpr std::string_view kLanguageValue = "V3TU_LANGUAGE";

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The stored value; "" when it, its key or its file is missing.
  virtual std::string read(std::string_view name) const = 0;

  // Stores the value, creating the key or the file and its folder when missing.
  virtual config::Result write(std::string_view name, std::string_view value) = 0;
};

// The values as an INI file whose section is named like the registry key.
class IniSettingsStore final : public SettingsStore {
 public:
  explicit IniSettingsStore(std::filesystem::path file) : m_file(std::move(file)) {}

  std::string read(std::string_view name) const override;
  config::Result write(std::string_view name, std::string_view value) override;

  const std::filesystem::path& file() const { return m_file; }

 private:
  std::filesystem::path m_file;
};

#ifdef _WIN32
// The values in HKEY_LOCAL_MACHINE, where the game's installer and earlier
// versions of the tool keep them.
class RegistrySettingsStore final : public SettingsStore {
 public:
  std::string read(std::string_view name) const override;
  config::Result write(std::string_view name, std::string_view value) override;
};
#endif

// Where IniSettingsStore keeps its file: inside stateDir when given, else in the
// user's configuration folder ($XDG_CONFIG_HOME/valdor3-tuning, by default
// ~/.config/valdor3-tuning).
std::filesystem::path settingsFile(const std::optional<std::filesystem::path>& stateDir);

// The registry on Windows unless a state folder is given; the file elsewhere.
std::unique_ptr<SettingsStore> makeSettingsStore(const std::optional<std::filesystem::path>& stateDir);

}  // namespace valdor::app
