#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "config/profile.h"
#include "support/temp_dir.h"

using valdor::config::Failure;
using valdor::config::getProfileInt;
using valdor::config::getProfileString;
using valdor::config::ProfileEdit;
using valdor::config::writeProfileString;

namespace {

// UTF-16LE bytes of ASCII text, the way a Unicode file stores it.
std::string utf16(std::string_view ascii) {
  std::string units;
  for (const char c : ascii) units.append({c, '\0'});
  return units;
}

constexpr std::string_view kBom("\xff\xfe", 2);

// A player's Unicode file: LF and CR alone end lines, "Ā" (U+0100) and a
// surrogate pair have no Windows-1252 byte, the spacing is the player's own.
const std::string kUnicodeFile = std::string(kBom) + utf16("[Engine.Setup]\r\n") + utf16(" Quality = ") +
                                 std::string("\x00\x01", 2) + utf16("\n") + utf16("Name=x") +
                                 std::string("\x3d\xd8\x00\xde", 4) + utf16("\r") + utf16("Size=4\r\n") +
                                 utf16("[K") + std::string("\x00\x01", 2) + utf16("]\r\nk=1");

}  // namespace

class ProfileEncoding : public ::testing::Test {
 protected:
  valdor::test::TempDir dir;
};

// ---- reading ----

TEST_F(ProfileEncoding, UnicodeFileReadsInTheGamesCodePage) {
  auto file = dir.write("ve3.ini", kUnicodeFile);
  EXPECT_EQ(getProfileString(file, "engine.setup", "quality", "D"), "A");
  EXPECT_EQ(getProfileString(file, "Engine.Setup", "Name", "D"), "x??");
  EXPECT_EQ(getProfileInt(file, "Engine.Setup", "Size", 0), 4u);
}

// The platform compares names in Unicode: "[KĀ]" is no section "KA".
TEST_F(ProfileEncoding, NamesWithCharactersWithoutAByteMatchNoNameAskedFor) {
  auto file = dir.write("ve3.ini", std::string(kBom) + utf16("[S]\r\n") + std::string("\x00\x01", 2) +
                                       utf16("=1\r\n") + utf16("[K") + std::string("\x00\x01", 2) + utf16("]\r\nk=1\r\n"));
  EXPECT_EQ(getProfileString(file, "S", "A", "D"), "D");
  EXPECT_EQ(getProfileString(file, "KA", "k", "D"), "D");
  EXPECT_EQ(getProfileString(file, "K?", "k", "D"), "D");

  ASSERT_TRUE(writeProfileString(file, "S", "A", "2").ok());
  EXPECT_EQ(dir.read("ve3.ini"), std::string(kBom) + utf16("[S]\r\n") + std::string("\x00\x01", 2) +
                                     utf16("=1\r\nA=2\r\n[K") + std::string("\x00\x01", 2) + utf16("]\r\nk=1\r\n"));
}

TEST_F(ProfileEncoding, Utf32AndUnmarkedUtf16ReadAsDefaults) {
  auto le32 = dir.write("le32.ini", std::string("\xff\xfe\0\0[\0\0\0S\0\0\0]\0\0\0\n\0\0\0k\0\0\0=\0\0\0001\0\0\0", 36));
  auto bare = dir.write("bare.ini", utf16("[S]\r\nk=1\r\n"));
  EXPECT_EQ(getProfileString(le32, "S", "k", "D"), "D");
  EXPECT_EQ(getProfileString(bare, "S", "k", "D"), "D");
}

// ---- writing ----

TEST_F(ProfileEncoding, UnicodeFileStaysUnicodeAndUntouchedLinesKeepTheirBytes) {
  auto file = dir.write("ve3.ini", kUnicodeFile);
  ProfileEdit edit(file);
  edit.set("Engine.Setup", "Size", "\x80 5");
  edit.set("Engine.Setup", "New", "1");
  edit.set("Audio", "Volume", "8");
  ASSERT_TRUE(edit.save().ok());
  const std::string expected = std::string(kBom) + utf16("[Engine.Setup]\r\n") + utf16(" Quality = ") +
                               std::string("\x00\x01", 2) + utf16("\n") + utf16("Name=x") +
                               std::string("\x3d\xd8\x00\xde", 4) + utf16("\r") + utf16("Size=") +
                               std::string("\xac\x20", 2) + utf16(" 5\r\nNew=1\r\n") + utf16("[K") +
                               std::string("\x00\x01", 2) + utf16("]\r\nk=1\r\n[Audio]\r\nVolume=8\r\n");
  EXPECT_EQ(dir.read("ve3.ini"), expected);
}

// "Quality = Ā" reads as "A", so writing "A" must still replace the "Ā".
TEST_F(ProfileEncoding, ValueThatReadsTheSameAsACharacterWithoutAByteIsStillWritten) {
  auto file = dir.write("ve3.ini", kUnicodeFile);
  ASSERT_TRUE(writeProfileString(file, "Engine.Setup", "Quality", "A").ok());
  const std::string content = dir.read("ve3.ini");
  EXPECT_NE(content.find(utf16("Quality=A\n")), std::string::npos);
  EXPECT_EQ(content.find(std::string("\x00\x01", 2) + utf16("\n")), std::string::npos);
}

TEST_F(ProfileEncoding, FileOfOnlyAByteOrderMarkGetsUnicodeLines) {
  auto file = dir.write("ve3.ini", kBom);
  ASSERT_TRUE(writeProfileString(file, "S", "k", "\xe9").ok());
  EXPECT_EQ(dir.read("ve3.ini"), std::string(kBom) + utf16("[S]\r\nk=\xe9\r\n"));
}

TEST_F(ProfileEncoding, OtherByteOrderMarksAreRefusedAndNeverRewritten) {
  const std::string files[] = {
      std::string("\xfe\xff\0[\0S\0]\0\r\0\n\0k\0=\0001", 20),
      std::string("\xff\xfe\0\0[\0\0\0S\0\0\0]\0\0\0", 16),
      std::string("\0\0\xfe\xff\0\0\0[\0\0\0S\0\0\0]", 16),
  };
  for (const std::string& bytes : files) {
    auto file = dir.write("ve3.ini", bytes);
    const auto result = writeProfileString(file, "S", "k", "2");
    EXPECT_EQ(result.failure, Failure::UnsupportedEncoding);
    EXPECT_EQ(result.where, valdor::config::pathText(file));
    EXPECT_EQ(dir.read("ve3.ini"), bytes);
  }
}

