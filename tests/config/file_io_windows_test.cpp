// Replacing files the way Windows keeps them: attributes, links, files the
// game holds open, and names outside plain ASCII.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "config/environment.h"
#include "config/file_io.h"

namespace valdor::config {
namespace {

namespace fs = std::filesystem;

// A fresh folder whose own name is outside the ANSI code page, removed afterwards.
class WindowsReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    m_dir = fs::path(temp) / (L"v3tu Spiele \u00c4\u00fc \u20ac \u0141\u00f3d\u017a \u4e2d " +
                              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()));
    fs::create_directories(m_dir / L"Ini");
  }
  void TearDown() override {
    for (const auto& entry : fs::recursive_directory_iterator(m_dir))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }

  fs::path ini() const { return m_dir / L"Ini" / L"ve3.ini"; }
  std::vector<std::wstring> names() const {
    std::vector<std::wstring> found;
    for (const auto& entry : fs::directory_iterator(m_dir / L"Ini")) found.push_back(entry.path().filename().wstring());
    return found;
  }

  fs::path m_dir;
};

TEST_F(WindowsReplace, NewAndExistingFilesInANonAsciiFolderKeepTheirAttributes) {
  ASSERT_TRUE(replaceFile(ini(), "[Engine]\r\nA=1\r\n").ok());
  EXPECT_EQ(GetFileAttributesW(ini().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);  // a new file is not hidden
  ASSERT_TRUE(SetFileAttributesW(ini().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

  const Result result = replaceFile(ini(), "[Engine]\r\nA=2\r\n");
  ASSERT_TRUE(result.ok()) << result.detail;
  EXPECT_EQ(readFile(ini()).value_or(""), "[Engine]\r\nA=2\r\n");
  EXPECT_NE(GetFileAttributesW(ini().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(names(), std::vector<std::wstring>{L"ve3.ini"});  // no staged copy left
  EXPECT_EQ(pathFromText(result.where), ini());
}

TEST_F(WindowsReplace, RefusesAFolderAReadOnlyFileAndAFileHeldOpen) {
  fs::create_directory(m_dir / L"Ini" / L"debug.ini");
  EXPECT_EQ(replaceFile(m_dir / L"Ini" / L"debug.ini", "x").failure, Failure::NotARegularFile);

  ASSERT_TRUE(replaceFile(ini(), "old").ok());
  ASSERT_TRUE(SetFileAttributesW(ini().c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(replaceFile(ini(), "new").failure, Failure::ReadOnly);
  EXPECT_EQ(readFile(ini()).value_or(""), "old");
  ASSERT_TRUE(SetFileAttributesW(ini().c_str(), FILE_ATTRIBUTE_NORMAL));

  // The game opens its file without sharing it.
  HANDLE held = CreateFileW(ini().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Result result = replaceFile(ini(), "new");
  CloseHandle(held);
  EXPECT_EQ(result.failure, Failure::InUse);
  EXPECT_EQ(readFile(ini()).value_or(""), "old");
  EXPECT_EQ(names().size(), 2u);  // ve3.ini and the folder debug.ini
}

TEST_F(WindowsReplace, ALinkIsFollowedAndKept) {
  const fs::path real = m_dir / L"real \u4e2d.ini";
  ASSERT_TRUE(replaceFile(real, "old").ok());
  // Older Wine reports success without making a link.
  const BOOL made = CreateSymbolicLinkW(ini().c_str(), real.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  const DWORD attributes = GetFileAttributesW(ini().c_str());
  if (!made || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    GTEST_SKIP() << "symbolic links cannot be made here";
  ASSERT_TRUE(replaceFile(ini(), "new").ok());
  EXPECT_EQ(readFile(real).value_or(""), "new");
  EXPECT_NE(GetFileAttributesW(ini().c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
}

TEST_F(WindowsReplace, StagedCopiesAreHiddenAndALeftOverOneGoesWithTheNextSave) {
  ASSERT_TRUE(replaceFile(ini(), "old").ok());
  {
    auto staged = StagedFile::prepare(ini(), "new");
    ASSERT_TRUE(staged.ok());
    const DWORD attributes = GetFileAttributesW(staged->tempPath().c_str());
    EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(staged->tempPath().parent_path(), ini().parent_path());
  }
  EXPECT_EQ(names(), std::vector<std::wstring>{L"ve3.ini"});

  // What a writer killed before its rename leaves behind.
  const fs::path left = m_dir / L"Ini" / L".ve3.ini.aB3xYz";
  ASSERT_TRUE(replaceFile(left, "half").ok());
  ASSERT_TRUE(SetFileAttributesW(left.c_str(), FILE_ATTRIBUTE_HIDDEN));
  const std::array files{Replacement{ini(), "new"}};
  ASSERT_TRUE(replaceTogether(files).ok());
  EXPECT_FALSE(fs::exists(left));
  EXPECT_EQ(readFile(ini()).value_or(""), "new");
}

}  // namespace
}  // namespace valdor::config
