#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "config/profile.h"
#include "support/temp_dir.h"

using valdor::config::Failure;
using valdor::config::findProfileValue;
using valdor::config::isWritableEntry;
using valdor::config::setProfileValue;
using valdor::config::writeProfileString;

namespace {

// A player's file with comments, odd spacing and blank lines; every write
// below must leave all of this alone except the one line it owns.
constexpr std::string_view kPlayerFile =
    "; header comment\r\n"
    "[Engine.Setup]\r\n"
    " Render.MeshLoDQuality = normal \r\n"
    "Render.TextureQuality =  high  \r\n"
    "\r\n"
    "[Engine.Audio]  ; trailing\r\n"
    "Audio.MasterVolume=0.8\r\n";

}  // namespace

// ---- replacing ----

TEST(ProfileWrite, ReplacingAValueChangesOnlyThatLine) {
  EXPECT_EQ(setProfileValue(kPlayerFile, "engine.setup", "RENDER.MESHLODQUALITY", "high"),
            "; header comment\r\n"
            "[Engine.Setup]\r\n"
            "Render.MeshLoDQuality=high\r\n"
            "Render.TextureQuality =  high  \r\n"
            "\r\n"
            "[Engine.Audio]  ; trailing\r\n"
            "Audio.MasterVolume=0.8\r\n");
}

TEST(ProfileWrite, ReplacedLineKeepsItsOwnLineEnd) {
  EXPECT_EQ(setProfileValue("[S]\na=1\r\nb=2\rc=3", "S", "a", "9"), "[S]\na=9\r\nb=2\rc=3");
  EXPECT_EQ(setProfileValue("[S]\na=1\r\nb=2\rc=3", "S", "c", "9"), "[S]\na=1\r\nb=2\rc=9");
}

TEST(ProfileWrite, OnlyTheFirstOfDuplicateKeysChanges) {
  EXPECT_EQ(setProfileValue("[S]\r\nk=first\r\nj=x\r\nk=second\r\n", "S", "k", "new"),
            "[S]\r\nk=new\r\nj=x\r\nk=second\r\n");
}

TEST(ProfileWrite, ValuesAreWrittenAsGiven) {
  EXPECT_EQ(setProfileValue("[S]\r\nk=1\r\n", "S", "k", "a;b#c"), "[S]\r\nk=a;b#c\r\n");
  EXPECT_EQ(setProfileValue("[S]\r\nk=1\r\n", "S", "k", "\"C:\\Games\\My Game\""),
            "[S]\r\nk=\"C:\\Games\\My Game\"\r\n");
  EXPECT_EQ(setProfileValue("[S]\r\nk=1\r\n", "S", "k", ""), "[S]\r\nk=\r\n");
}

// ---- adding keys ----

TEST(ProfileWrite, NewKeyGoesAfterTheLastNonBlankLineOfItsSection) {
  EXPECT_EQ(setProfileValue(kPlayerFile, "Engine.Setup", "Render.ShadowQuality", "medium"),
            "; header comment\r\n"
            "[Engine.Setup]\r\n"
            " Render.MeshLoDQuality = normal \r\n"
            "Render.TextureQuality =  high  \r\n"
            "Render.ShadowQuality=medium\r\n"
            "\r\n"
            "[Engine.Audio]  ; trailing\r\n"
            "Audio.MasterVolume=0.8\r\n");
  EXPECT_EQ(setProfileValue("[A]\r\n[B]\r\nk=1\r\n", "A", "new", "v"), "[A]\r\nnew=v\r\n[B]\r\nk=1\r\n");
  EXPECT_EQ(setProfileValue("[A]\r\nk=1\r\n; about B\r\n[B]\r\n", "A", "n", "v"),
            "[A]\r\nk=1\r\n; about B\r\nn=v\r\n[B]\r\n");
}

TEST(ProfileWrite, NewKeyGoesIntoTheFirstOfRepeatedSections) {
  EXPECT_EQ(setProfileValue("[S]\r\na=1\r\n[s]\r\nb=2\r\n", "S", "b", "9"), "[S]\r\na=1\r\nb=9\r\n[s]\r\nb=2\r\n");
}

TEST(ProfileWrite, NewLinesUseTheFilesLineEnd) {
  EXPECT_EQ(setProfileValue("[S]\na=1\n", "S", "b", "2"), "[S]\na=1\nb=2\n");
  EXPECT_EQ(setProfileValue("[S]\ra=1\r", "S", "b", "2"), "[S]\ra=1\rb=2\r");
  EXPECT_EQ(setProfileValue("[S]\na=1\n", "T", "b", "2"), "[S]\na=1\n[T]\nb=2\n");
}

TEST(ProfileWrite, UnterminatedLastLineGetsALineEndBeforeNewLines) {
  EXPECT_EQ(setProfileValue("[Engine.Setup]\r\nRender.MeshLoDQuality=normal", "Engine.Audio", "Audio.MasterVolume", "1"),
            "[Engine.Setup]\r\nRender.MeshLoDQuality=normal\r\n[Engine.Audio]\r\nAudio.MasterVolume=1\r\n");
  EXPECT_EQ(setProfileValue("[S]\r\nk=1", "S", "j", "2"), "[S]\r\nk=1\r\nj=2\r\n");
}

// ---- adding sections ----

TEST(ProfileWrite, MissingSectionIsAppendedAtTheEnd) {
  EXPECT_EQ(setProfileValue("top=1\r\n[S]\r\nk=1\r\n\r\n\r\n", "T", "j", "2"),
            "top=1\r\n[S]\r\nk=1\r\n\r\n\r\n[T]\r\nj=2\r\n");
}

TEST(ProfileWrite, EmptyContentBecomesSectionAndKeyWithCrLf) {
  EXPECT_EQ(setProfileValue("", "Options.Custom", "TextureQuality", "3"), "[Options.Custom]\r\nTextureQuality=3\r\n");
}

// ---- refusing what would change other lines ----

TEST(ProfileWrite, NamesAndValuesThatWouldForgeOtherLinesAreRefused) {
  EXPECT_TRUE(isWritableEntry("Engine.Setup", "Render.MeshLoDQuality", "a=b;c"));
  EXPECT_FALSE(isWritableEntry("S", "k", "1\r\nInjected=1"));
  EXPECT_FALSE(isWritableEntry("S", "k", "1\nx"));
  EXPECT_FALSE(isWritableEntry("S", "k", std::string_view("1\0x", 3)));
  EXPECT_FALSE(isWritableEntry("S", "a=b", "1"));
  EXPECT_FALSE(isWritableEntry("S", "", "1"));
  EXPECT_FALSE(isWritableEntry("S", "[T]", "1"));
  EXPECT_FALSE(isWritableEntry("S", ";k", "1"));
  EXPECT_FALSE(isWritableEntry("S]x", "k", "1"));
  EXPECT_FALSE(isWritableEntry("", "k", "1"));
}

// ---- files ----

class ProfileFileWrite : public ::testing::Test {
 protected:
  valdor::test::TempDir dir;
};

TEST_F(ProfileFileWrite, MissingFileIsCreatedWithSectionAndKey) {
  auto result = writeProfileString(dir / "new.ini", "S", "k", "v");
  ASSERT_TRUE(result.ok()) << result.detail;
  EXPECT_EQ(dir.read("new.ini"), "[S]\r\nk=v\r\n");
}

TEST_F(ProfileFileWrite, MissingFolderFailsAndCreatesNothing) {
  auto result = writeProfileString(dir / "missing" / "sub" / "test.ini", "S", "k", "v");
  EXPECT_EQ(result.failure, Failure::FolderMissing);
  EXPECT_EQ(result.where, valdor::config::pathText(dir / "missing" / "sub" / "test.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST_F(ProfileFileWrite, RefusedEntryLeavesTheFileAlone) {
  dir.write("ve3.ini", "[S]\r\nk=1\r\n");
  EXPECT_EQ(writeProfileString(dir / "ve3.ini", "S", "k", "2\r\n[Evil]").failure, Failure::InvalidName);
  EXPECT_EQ(dir.read("ve3.ini"), "[S]\r\nk=1\r\n");
}

TEST_F(ProfileFileWrite, ReadOnlyFileIsNeverReplaced) {
  auto file = dir.write("ve3.ini", "[S]\r\nk=1\r\n");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  EXPECT_EQ(writeProfileString(file, "S", "k", "2").failure, Failure::ReadOnly);
  EXPECT_EQ(dir.read("ve3.ini"), "[S]\r\nk=1\r\n");
  EXPECT_TRUE(writeProfileString(file, "S", "k", "1").ok()) << "nothing to change is no failure";
}

TEST_F(ProfileFileWrite, BatchWritesTheSameBytesAsSingleWrites) {
  auto one = dir.write("one.ini", std::string(kPlayerFile));
  auto batch = dir.write("batch.ini", std::string(kPlayerFile));
  const std::pair<const char*, const char*> keys[] = {
      {"Render.MeshLoDQuality", "high"}, {"Render.New", "1"}, {"render.new", "2"}, {"Audio.X", ""}};
  valdor::config::ProfileEdit edit(batch);
  for (auto [key, value] : keys) {
    ASSERT_TRUE(writeProfileString(one, "Engine.Setup", key, value).ok());
    edit.set("Engine.Setup", key, value);
  }
  edit.set("New.Section", "k", "v");
  ASSERT_TRUE(writeProfileString(one, "New.Section", "k", "v").ok());
  ASSERT_TRUE(edit.save().ok());
  EXPECT_EQ(dir.read("batch.ini"), dir.read("one.ini"));
}

TEST_F(ProfileFileWrite, AKeyKeptWhenStoredIsDecidedOnTheFileAsSaveFindsIt) {
  auto file = dir.write("ve3.ini", "[S]\r\nf=0.015\r\n");
  const auto keepsHalf = [](std::string_view stored) { return stored.starts_with("0.015"); };
  valdor::config::ProfileEdit edit(file);
  edit.setUnlessStored("S", "f", "0.01", keepsHalf);
  edit.set("S", "k", "1");
  ASSERT_TRUE(edit.save().ok());
  EXPECT_EQ(dir.read("ve3.ini"), "[S]\r\nf=0.015\r\nk=1\r\n");

  // Another copy changed the key after this edit was made: what the file
  // holds when saving decides, not what it held before.
  valdor::config::ProfileEdit late(file);
  late.setUnlessStored("S", "f", "0.01", keepsHalf);
  dir.write("ve3.ini", "[S]\r\nf=0.5\r\nk=1\r\n");
  ASSERT_TRUE(late.save().ok());
  EXPECT_EQ(dir.read("ve3.ini"), "[S]\r\nf=0.01\r\nk=1\r\n");
}

TEST_F(ProfileFileWrite, BatchWithOneRefusedEntryWritesNothing) {
  auto file = dir.write("ve3.ini", "[S]\r\nk=1\r\n");
  valdor::config::ProfileEdit edit(file);
  edit.set("S", "k", "2");
  edit.set("S", "j", "3\n[Evil]");
  edit.set("S", "i", "4");
  EXPECT_EQ(edit.save().failure, Failure::InvalidName);
  EXPECT_EQ(dir.read("ve3.ini"), "[S]\r\nk=1\r\n");
}

// A save of many keys finds the keys already there through one pass over the
// file; it must still come out exactly as setting the keys one by one, in
// files made to trip it: repeated sections and keys, keys before the first
// section, odd line ends, quoted values and a last line without its end.
TEST_F(ProfileFileWrite, ManyKeysInOneSaveComeOutAsSetOneByOne) {
  const std::string_view files[] = {
      std::string_view(kPlayerFile),
      "k=before any section\r\n[S]\r\nk=1\r\n  K = 2\r\n[s]\r\nj=3\r\n[T]\rk=\"q\"\r[S]\nm=4",
      "[S]\r\n\r\n; comment=1\r\nk = ' x '\r\n[a]b]\r\nk=5\r\n[S ]\r\nj=6\r\n\r\n",
      "",
  };
  const std::string_view sections[] = {"S", "s ", "T", " S", "Engine.Setup", "engine.audio", "New"};
  const std::string_view keys[] = {"k", "K", "j", "m", "Render.TextureQuality", "audio.mastervolume", "n"};
  const std::string_view values[] = {"1", "2", " x ", "'q'", "", "0.8"};
  std::mt19937 random(7);
  const auto pick = [&](const auto& from) { return from[random() % std::size(from)]; };
  for (int round = 0; round < 200; ++round) {
    const std::string_view original = files[round % std::size(files)];
    std::string expected(original);
    auto file = dir.write("batch.ini", original);
    valdor::config::ProfileEdit edit(file);
    const std::string_view kept = pick(values);
    const auto keeps = [kept](std::string_view stored) { return stored == kept; };
    for (int n = 0; n < 12; ++n) {
      const auto section = pick(sections), key = pick(keys), value = pick(values);
      if (random() % 3 == 0) {
        const auto stored = findProfileValue(expected, section, key);
        if (!stored || !keeps(*stored)) expected = setProfileValue(expected, section, key, value);
        edit.setUnlessStored(section, key, value, keeps);
      } else {
        expected = setProfileValue(expected, section, key, value);
        edit.set(section, key, value);
      }
    }
    ASSERT_TRUE(edit.save().ok());
    ASSERT_EQ(dir.read("batch.ini"), expected) << "round " << round;
  }
}
