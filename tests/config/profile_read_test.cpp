#include <gtest/gtest.h>

#include "config/profile.h"
#include "support/temp_dir.h"

using valdor::config::findProfileValue;
using valdor::config::parseProfileInt;
using valdor::config::readProfileInt;
using valdor::config::readProfileString;

namespace {

std::string read(std::string_view content, std::string_view section, std::string_view key,
                 std::string_view def = "DEF", std::size_t capacity = 256) {
  return readProfileString(content, section, key, def, capacity);
}

std::int32_t readInt(std::string_view content, std::string_view key, std::int32_t def = 5) {
  return static_cast<std::int32_t>(readProfileInt(content, "S", key, def));
}

}  // namespace

// ---- names and lines ----

TEST(ProfileRead, SectionAndKeyNamesIgnoreCase) {
  const char* ini = "[Engine.Setup]\r\nRender.MeshLoDQuality=normal\r\n";
  EXPECT_EQ(read(ini, "ENGINE.SETUP", "render.meshlodquality"), "normal");
  EXPECT_EQ(read(ini, "eNgInE.sEtUp", "Render.MeshLoDQuality"), "normal");
}

TEST(ProfileRead, BlanksAroundNamesAndValuesAreDropped) {
  const char* ini = "  [S]  \r\n\t k \t=  v a l  \t\r\n";
  EXPECT_EQ(read(ini, "S", "k"), "v a l");
}

TEST(ProfileRead, EverythingAfterTheFirstEqualsSignIsTheValue) {
  EXPECT_EQ(read("[S]\r\nk=a=b\r\nb=W=Forward;S=Back\r\n", "S", "k"), "a=b");
  EXPECT_EQ(read("[S]\r\nk=a=b\r\nb=W=Forward;S=Back\r\n", "S", "b"), "W=Forward;S=Back");
}

TEST(ProfileRead, EmptyValueIsEmptyButMissingKeyGivesTheDefault) {
  const char* ini = "[S]\r\nempty=\r\nblank=   \r\nbare\r\n";
  EXPECT_EQ(read(ini, "S", "empty"), "");
  EXPECT_EQ(read(ini, "S", "blank"), "");
  EXPECT_EQ(read(ini, "S", "bare"), "DEF") << "a line without '=' is not a key";
  EXPECT_EQ(read(ini, "S", "missing"), "DEF");
  EXPECT_EQ(read(ini, "T", "empty"), "DEF");
  EXPECT_EQ(read("", "S", "empty"), "DEF");
}

TEST(ProfileRead, FirstSectionAndFirstKeyWin) {
  const char* ini = "[S]\r\nk=first\r\nK=second\r\n[T]\r\nx=1\r\n[s]\r\nk=third\r\nonly=later\r\n";
  EXPECT_EQ(read(ini, "S", "k"), "first");
  EXPECT_EQ(read(ini, "S", "only"), "DEF") << "a repeated section is never searched";
}

TEST(ProfileRead, CommentsAndKeysOutsideSectionsAreNotFound) {
  const char* ini = "top=1\r\n; header\r\n[S]\r\n; k=commented\r\nk=real ; not a comment\r\n;hidden=x\r\n";
  EXPECT_EQ(read(ini, "S", "k"), "real ; not a comment");
  EXPECT_EQ(read(ini, "S", "hidden"), "DEF");
  EXPECT_EQ(read(ini, "", "top"), "DEF");
}

TEST(ProfileRead, BracketsInsideKeysAndValuesAreNotSections) {
  const char* ini = "[S]\r\narr[0]=x\r\nv=[not a section]\r\n[T]  ; trailing\r\nk=2\r\n";
  EXPECT_EQ(read(ini, "S", "arr[0]"), "x");
  EXPECT_EQ(read(ini, "S", "v"), "[not a section]");
  EXPECT_EQ(read(ini, "T", "k"), "2");
}

TEST(ProfileRead, AllLineEndsReadTheSame) {
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    std::string ini = std::string("[S]") + eol + "a=1" + eol + "[T]" + eol + "b=2";
    EXPECT_EQ(read(ini, "S", "a"), "1") << "line end " << (eol[0] == '\r' ? "CR" : "LF");
    EXPECT_EQ(read(ini, "T", "b"), "2");
  }
  EXPECT_EQ(read("[S]\r\nk=v\r\r\nj=w\r\n", "S", "k"), "v");
}

TEST(ProfileRead, BytesAboveAsciiPassThroughUntouched) {
  EXPECT_EQ(read("[S]\r\nk=Gr\xf6\xdf" "e\r\n", "S", "k"), "Gr\xf6\xdf" "e");
}

// ---- quotes and capacity ----

TEST(ProfileRead, OnePairOfMatchingQuotesIsRemoved) {
  const char* ini =
      "[S]\r\nd=\"val\"\r\ns='val'\r\np=\"  padded  \"\r\ne=\"\"\r\none=\"\r\nin=\"a\"b\"\r\n"
      "mixed='abc\"\r\nopen=\"abc\r\nafter= \"x\" \r\ninner=x\"abc\"\r\n";
  EXPECT_EQ(read(ini, "S", "d"), "val");
  EXPECT_EQ(read(ini, "S", "s"), "val");
  EXPECT_EQ(read(ini, "S", "p"), "  padded  ");
  EXPECT_EQ(read(ini, "S", "e"), "");
  EXPECT_EQ(read(ini, "S", "one"), "\"");
  EXPECT_EQ(read(ini, "S", "in"), "a\"b");
  EXPECT_EQ(read(ini, "S", "mixed"), "'abc\"");
  EXPECT_EQ(read(ini, "S", "open"), "\"abc");
  EXPECT_EQ(read(ini, "S", "after"), "x");
  EXPECT_EQ(read(ini, "S", "inner"), "x\"abc\"");
}

TEST(ProfileRead, ValueIsCutToCapacityMinusOne) {
  const std::string value(300, 'a');
  const std::string ini = "[S]\r\nk=" + value + "\r\n";
  EXPECT_EQ(read(ini, "S", "k", "", 256).size(), 255u);
  EXPECT_EQ(read(ini, "S", "k", "", 1024), value);
  EXPECT_EQ(read(ini, "S", "k", "", 1), "");
  EXPECT_EQ(read(ini, "S", "k", "", 0), "");
}

TEST(ProfileRead, DefaultLosesTrailingSpacesAndIsCutToo) {
  EXPECT_EQ(read("", "S", "k", "  low   "), "  low");
  EXPECT_EQ(read("", "S", "k", "default", 4), "def");
}

// ---- integers ----

TEST(ProfileReadInt, StopsAtTheFirstCharacterThatIsNoDigit) {
  const char* ini = "[S]\r\na=3500.5\r\nb=-300.0\r\nc=12abc\r\nd=abc\r\ne=  42\r\nf=\"42\"\r\ng=007\r\nh=+7\r\n";
  EXPECT_EQ(readInt(ini, "a"), 3500);
  EXPECT_EQ(readInt(ini, "b"), -300);
  EXPECT_EQ(readInt(ini, "c"), 12);
  EXPECT_EQ(readInt(ini, "d"), 0) << "present but not a number gives 0, not the default";
  EXPECT_EQ(readInt(ini, "e"), 42);
  EXPECT_EQ(readInt(ini, "f"), 42);
  EXPECT_EQ(readInt(ini, "g"), 7);
  EXPECT_EQ(readInt(ini, "h"), 7);
}

TEST(ProfileReadInt, MissingOrEmptyGivesTheDefault) {
  const char* ini = "[S]\r\nempty=\r\n";
  EXPECT_EQ(readInt(ini, "empty", -9), -9);
  EXPECT_EQ(readInt(ini, "missing", 7777), 7777);
  EXPECT_EQ(readProfileInt("", "S", "k", -1), 4294967295u);
}

TEST(ProfileReadInt, HexPrefixAndWrapAroundFollowThePlatform) {
  EXPECT_EQ(parseProfileInt("0x10"), 16u);
  EXPECT_EQ(parseProfileInt("0xff"), 255u);
  EXPECT_EQ(parseProfileInt("99999999999"), 1215752191u);
  EXPECT_EQ(parseProfileInt("4294967296"), 0u);
  EXPECT_EQ(parseProfileInt("-1"), 4294967295u);
  EXPECT_EQ(parseProfileInt("0X10"), 0u) << "only a lower-case x makes a hex prefix";
}

TEST(ProfileReadInt, VeryLongDigitStringsAreCutBeforeConversion) {
  const std::string digits(35, '9');
  const std::string ini = "[S]\r\nk=" + digits + "\r\n";
  EXPECT_EQ(readProfileInt(ini, "S", "k", 0), parseProfileInt(digits.substr(0, 29)));
}

// ---- files ----

TEST(ProfileFile, MissingFileGivesDefaultsAndEveryReadSeesTheFileAsItIsNow) {
  valdor::test::TempDir dir;
  const auto file = dir / "ve3.ini";
  EXPECT_EQ(valdor::config::getProfileString(file, "S", "k", "low"), "low");
  EXPECT_EQ(valdor::config::getProfileInt(file, "S", "k", 60), 60u);
  dir.write("ve3.ini", "[S]\r\nk=144\r\n");
  EXPECT_EQ(valdor::config::getProfileInt(file, "S", "k", 60), 144u);
  dir.write("ve3.ini", "[S]\r\nk=30\r\n");
  EXPECT_EQ(valdor::config::getProfileString(file, "S", "k"), "30");
}

TEST(ProfileRead, ALookupOfManyKeysFindsWhatOneSearchFinds) {
  const std::string_view ini =
      "k=before any section\r\n[S]\r\nk=1\r\n  K = 2\r\n\r\n[s]\r\nj=3\r\n[T]\rk=\"q\"\r; j=no\r[S]\nm=4\n"
      "  [ a]b ] \r\nk = ' x '\r\n[U\r\nk=not a section\r\nnoequals\r\n=empty name\r\n[V]";
  const valdor::config::ProfileLookup lookup(ini);
  for (std::string_view section : {"S", " s ", "T", "a]b", "U", "V", "W", ""}) {
    for (std::string_view key : {"k", "K ", "j", "m", "noequals", "", "x"}) {
      EXPECT_EQ(lookup.find(section, key), findProfileValue(ini, section, key)) << section << "/" << key;
    }
  }
}
