// The registry store, the environment and the documents folder with names
// outside plain ASCII, as players on Windows have them. The registry key is
// the game's own: every test puts back what was there.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/config_paths.h"
#include "app/settings_store.h"
#include "config/environment.h"
#include "config/file_io.h"

namespace valdor::app {
namespace {

const std::wstring kKey = L"SOFTWARE\\Halvikor\\Valdor III";

std::optional<std::wstring> rawValue(const std::wstring& key, const wchar_t* name, REGSAM view) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS)
    return std::nullopt;
  wchar_t data[2048] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  const bool found = RegQueryValueExW(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS;
  RegCloseKey(handle);
  if (!found) return std::nullopt;
  return std::wstring(data);
}

// What a program using the narrow calls, as the game does, reads.
std::optional<std::string> ansiValue(const char* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Halvikor\\Valdor III", 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                    &handle) != ERROR_SUCCESS)
    return std::nullopt;
  char data[2048] = {};
  DWORD size = sizeof data - 1;
  const bool found = RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS;
  RegCloseKey(handle);
  if (!found) return std::nullopt;
  return std::string(data);
}

std::string ansiOf(const std::wstring& text) {
  std::string bytes(text.size() * 4 + 1, '\0');
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                                       static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(static_cast<std::size_t>(size));
  return bytes;
}

// Puts the game folder value back as it was before the test.
class RegistryStore : public ::testing::Test {
 protected:
  void SetUp() override { m_saved = m_store.read(kInstallDirValue); }
  void TearDown() override {
    if (!m_saved.empty()) {
      m_store.write(kInstallDirValue, m_saved);
      return;
    }
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_32KEY, &handle) == ERROR_SUCCESS) {
      RegDeleteValueW(handle, L"INSTALL_DIR");
      RegCloseKey(handle);
    }
  }

  RegistrySettingsStore m_store;
  std::string m_saved;
};

TEST_F(RegistryStore, GameFoldersOutsideAsciiComeBackWholeAndReachTheGameInItsCodePage) {
  for (const std::wstring folder : {L"C:\\Spiele \u00c4\u00fc", L"D:\\Preis 5 \u20ac\\Valdor 3",
                                    L"C:\\Gry\\\u0141\u00f3d\u017a", L"C:\\\u6e38\u620f\\Valdor 3"}) {
    SCOPED_TRACE(config::narrow(folder));
    const std::string text = config::narrow(folder);
    const config::Result written = m_store.write(kInstallDirValue, text);
    if (written.failure == config::Failure::AccessDenied) GTEST_SKIP() << "no administrator rights";
    if (config::fitsAnsiCodePage(folder)) {
      ASSERT_TRUE(written.ok()) << written.detail;
      EXPECT_EQ(m_store.read(kInstallDirValue), text);
      EXPECT_EQ(ansiValue("INSTALL_DIR"), ansiOf(folder));
      EXPECT_EQ(config::pathFromText(m_store.read(kInstallDirValue)), std::filesystem::path(folder));
    } else {
      // The game would read question marks: its value is left alone.
      ASSERT_TRUE(m_store.write(kInstallDirValue, "C:\\Valdor 3").ok());
      EXPECT_EQ(m_store.write(kInstallDirValue, text).failure, config::Failure::OutsideCodePage);
      EXPECT_EQ(m_store.read(kInstallDirValue), "C:\\Valdor 3");
    }
  }
}

TEST_F(RegistryStore, ValuesLieInThe32BitViewWhereTheGameLooks) {
  const config::Result written = m_store.write(kInstallDirValue, "C:\\Spiele \xc3\x84");
  if (written.failure == config::Failure::AccessDenied) GTEST_SKIP() << "no administrator rights";
  ASSERT_TRUE(written.ok()) << written.detail;
  EXPECT_EQ(rawValue(kKey, L"INSTALL_DIR", KEY_WOW64_32KEY), L"C:\\Spiele \u00c4");
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  if (sizeof(void*) == 8 || wow64) {
    // On a 64-bit system the 32-bit view is the redirected key.
    EXPECT_EQ(rawValue(L"SOFTWARE\\WOW6432Node\\Halvikor\\Valdor III", L"INSTALL_DIR", KEY_WOW64_64KEY),
              L"C:\\Spiele \u00c4");
  }
}

// Sets an environment variable for the test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : m_name(name) {
    if (const wchar_t* old = _wgetenv(name)) m_old = old;
    _wputenv_s(name, value.c_str());
  }
  ~ScopedVariable() { _wputenv_s(m_name, m_old ? m_old->c_str() : L""); }

 private:
  const wchar_t* m_name;
  std::optional<std::wstring> m_old;
};

TEST(WindowsFolders, ProfileFoldersOutsideTheCodePageAreKeptWhole) {
  const std::wstring profile = L"C:\\users\\\u0141ukasz \u4e2d \u20ac";
  ScopedVariable home(L"USERPROFILE", profile);
  ScopedVariable appData(L"APPDATA", profile + L"\\AppData\\Roaming");
  EXPECT_EQ(config::homeFolder(), std::filesystem::path(profile));
  EXPECT_EQ(configFolder(), std::filesystem::path(profile + L"\\AppData\\Roaming"));
  EXPECT_EQ(config::environmentValue("USERPROFILE"), config::narrow(profile));
}

// The shell's documents folder moved below a name outside the code page:
// UserOptions.ini is looked for, written and read there.
TEST(WindowsFolders, DocumentsFolderUnderANonAsciiProfileHoldsUserOptions) {
  const std::wstring shellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, shellFolders.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key),
            ERROR_SUCCESS);
  wchar_t saved[2048] = {};
  DWORD savedSize = sizeof saved - sizeof(wchar_t);
  DWORD savedType = REG_EXPAND_SZ;
  const bool hadValue =
      RegQueryValueExW(key, L"Personal", nullptr, &savedType, reinterpret_cast<BYTE*>(saved), &savedSize) == ERROR_SUCCESS;

  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path documents =
      std::filesystem::path(temp) / (L"v3tu \u0141\u00f3d\u017a \u4e2d\u6587 " + std::to_wstring(GetCurrentProcessId())) /
      L"Dokumente \u00c4\u20ac";
  std::filesystem::create_directories(documents / L"valdor3");
  const std::wstring value = documents.wstring();
  RegSetValueExW(key, L"Personal", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));

  const std::filesystem::path found = documentsFolder(std::nullopt);
  ConfigPaths paths;
  setDocumentsFolder(paths, found);
  const config::Result written = config::replaceFile(paths.userOptionsIni, "[Options]\r\nGamma=2\r\n");
  const auto read = config::readFile(documents / L"valdor3" / L"UserOptions.ini");

  if (hadValue) {
    RegSetValueExW(key, L"Personal", 0, savedType, reinterpret_cast<const BYTE*>(saved), savedSize);
  } else {
    RegDeleteValueW(key, L"Personal");
  }
  RegCloseKey(key);
  std::error_code ec;
  std::filesystem::remove_all(documents.parent_path(), ec);

  EXPECT_EQ(found, documents);
  EXPECT_TRUE(written.ok()) << written.where << " " << written.detail;
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(*read, "[Options]\r\nGamma=2\r\n");
}

}  // namespace
}  // namespace valdor::app
