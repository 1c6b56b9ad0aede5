#include "app/settings_store.h"

#include <algorithm>
#include <system_error>

#include "app/config_paths.h"
#include "config/environment.h"
#include "config/profile.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace valdor::app {

namespace {

config::Failure folderError(const std::error_code& ec) {
  if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
      ec == std::errc::read_only_file_system)
    return config::Failure::AccessDenied;
  if (ec == std::errc::no_space_on_device) return config::Failure::DiskFull;
  if (ec == std::errc::not_a_directory || ec == std::errc::no_such_file_or_directory)
    return config::Failure::FolderMissing;
  return config::Failure::Other;
}

}  // namespace

std::string IniSettingsStore::read(std::string_view name) const {
  // Read whole rather than through a buffer of fixed size: a long path must
  // come back complete, never silently cut.
  auto content = config::readFile(m_file);
  if (!content) return {};
  return config::findProfileValue(*content, kSettingsKey, name).value_or(std::string());
}

config::Result IniSettingsStore::write(std::string_view name, std::string_view value) {
  std::error_code ec;
  std::filesystem::create_directories(m_file.parent_path(), ec);
  if (ec) return config::Result::failed(folderError(ec), m_file, ec.message());
  // The reader drops blanks at both ends of a value and then one pair of
  // quotes; quoting keeps a folder name that begins or ends with a blank.
  std::string quoted;
  quoted.reserve(value.size() + 2);
  quoted.append(1, '"').append(value).append(1, '"');
  return config::writeProfileString(m_file, kSettingsKey, name, quoted);
}

std::filesystem::path settingsFile(const std::optional<std::filesystem::path>& stateDir) {
  constexpr std::string_view kFileName = "settings.ini";
  if (stateDir) return *stateDir / kFileName;
  return configFolder() / "valdor3-tuning" / kFileName;
}

#ifdef _WIN32

namespace {

// The game and the tool were 32-bit programs: their values lie in the 32-bit
// view of the registry, which a 64-bit build must ask for.
constexpr REGSAM kView = KEY_WOW64_32KEY;

std::string registryPath() { return std::string("HKEY_LOCAL_MACHINE\\").append(kSettingsKey); }

config::Result registryFailure(LSTATUS status) {
  wchar_t text[512] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(status), 0,
                 text, sizeof text / sizeof text[0], nullptr);
  auto error = status == ERROR_ACCESS_DENIED ? config::Failure::AccessDenied : config::Failure::Other;
  return {error, config::Operation::Write, registryPath(), config::narrow(text)};
}

}  // namespace

// The values are read and written through the wide calls and kept as UTF-8
// inside the tool. The system presents a REG_SZ written this way to the
// game's narrow calls in the ANSI code page, so the game still reads it.
std::string RegistrySettingsStore::read(std::string_view name) const {
  const std::wstring keyName = config::widen(kSettingsKey);
  const std::wstring valueName = config::widen(name);
  HKEY key = nullptr;
  // Reading needs no more than read access; asking for all rights would fail
  // for every user without administrator rights.
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_QUERY_VALUE | kView, &key) != ERROR_SUCCESS) return {};
  std::wstring value;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
    // A stored size need not be a whole number of characters.
    value.resize(size / sizeof(wchar_t) + 1);
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
      value.clear();
    value.resize(std::min<std::size_t>(value.size(), size / sizeof(wchar_t)));
  }
  RegCloseKey(key);
  // The stored length counts the terminating zero; the value ends at the first.
  if (auto zero = value.find(L'\0'); zero != std::wstring::npos) value.resize(zero);
  return config::narrow(value);
}

config::Result RegistrySettingsStore::write(std::string_view name, std::string_view value) {
  const std::wstring keyName = config::widen(kSettingsKey);
  const std::wstring valueName = config::widen(name);
  const std::wstring data = config::widen(value);
  // The game and its installer read the value in the ANSI code page: a name
  // outside it would reach them as question marks, a folder that does not
  // exist. The value they have stays rather than being spoilt.
  if (!config::fitsAnsiCodePage(data)) {
    return {config::Failure::OutsideCodePage, config::Operation::Write, std::string(value), {}};
  }
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE | kView, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return registryFailure(status);
  status = RegSetValueExW(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return registryFailure(status);
  return config::Result::success(registryPath());
}

std::unique_ptr<SettingsStore> makeSettingsStore(const std::optional<std::filesystem::path>& stateDir) {
  if (stateDir) return std::make_unique<IniSettingsStore>(settingsFile(stateDir));
  return std::make_unique<RegistrySettingsStore>();
}

#else

std::unique_ptr<SettingsStore> makeSettingsStore(const std::optional<std::filesystem::path>& stateDir) {
  return std::make_unique<IniSettingsStore>(settingsFile(stateDir));
}

#endif

}  // namespace valdor::app
