#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdlib>

#include "config/value_words.h"
#include "app/resources.h"
#include "i18n/entry_texts.h"
#include "i18n/translator.h"
#include "support/environment.h"
#include "support/temp_dir.h"

using namespace valdor::i18n;
using namespace valdor::app;
using valdor::test::TempDir;
namespace fs = std::filesystem;

namespace {

Translator extracted(const TempDir& dir, std::string_view language) {
  auto extraction = ExtractResourceToTemp(kTranslationResourceId, "INI", kTranslationFileName, dir.path());
  EXPECT_TRUE(extraction.ok()) << extraction.detail;
  Translator translator(dir / kTranslationFileName);
  translator.setLanguage(std::string(language));
  return translator;
}

}  // namespace

// ---- extraction ----

TEST(Extraction, WritesTheEmbeddedTableOnceAndThenUsesTheFileAsItIs) {
  TempDir dir;
  auto first = ExtractResourceToTemp(kTranslationResourceId, "INI", "translation.ini", dir.path());
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(first.where, valdor::config::pathText(dir / "translation.ini"));
  EXPECT_EQ(dir.read("translation.ini"), *findResource(kTranslationResourceId, "INI"));

  dir.write("translation.ini", "[english]\r\nTEXT_EXIT=leave\r\n");
  auto second = ExtractResourceToTemp(kTranslationResourceId, "INI", "translation.ini", dir.path());
  EXPECT_TRUE(second.ok());
  EXPECT_EQ(dir.read("translation.ini"), "[english]\r\nTEXT_EXIT=leave\r\n");
  Translator translator(dir / "translation.ini");
  translator.setLanguage("english");
  EXPECT_EQ(translator.LookupText("TEXT_EXIT"), "leave");
}

TEST(Extraction, UnknownResourceIsReportedAndWritesNothing) {
  TempDir dir;
  auto extraction = ExtractResourceToTemp(999, "INI", "x.ini", dir.path());
  EXPECT_FALSE(extraction.ok());
  EXPECT_FALSE(std::filesystem::exists(dir / "x.ini"));
}

TEST(Extraction, PrivateFolderIsCreatedForTheOwnerOnly) {
  VALDOR_SKIP_ON_WINDOWS("checks Unix file modes of the private folder");
#ifndef _WIN32
  TempDir dir;
  auto folder = privateFolder(dir / "state");
  EXPECT_EQ(folder, dir / "state");
  struct stat info {};
  ASSERT_EQ(::stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
#endif
}

#ifndef _WIN32
namespace {

// Points the runtime and cache folders into dir for one test.
class ScopedFolders {
 public:
  explicit ScopedFolders(const TempDir& dir) {
    std::filesystem::create_directories(dir / "run");
    ::setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
  }
  ~ScopedFolders() {
    ::unsetenv("XDG_RUNTIME_DIR");
    ::unsetenv("XDG_CACHE_HOME");
  }
};

mode_t modeOf(const std::filesystem::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

}  // namespace
#endif

TEST(Extraction, StateFolderKeepsItsPermissionsAndMustBeAFolder) {
  VALDOR_SKIP_ON_WINDOWS("checks Unix file modes of the private folder");
#ifndef _WIN32
  TempDir dir;
  std::filesystem::create_directory(dir / "shared");
  ::chmod((dir / "shared").c_str(), 01777);
  EXPECT_EQ(privateFolder(dir / "shared"), dir / "shared");
  EXPECT_EQ(modeOf(dir / "shared"), 01777u);

  dir.write("file", "keep");
  ::chmod((dir / "file").c_str(), 0644);
  const auto place = choosePrivateFolder(dir / "file");
  EXPECT_TRUE(place.folder.empty());
  ASSERT_EQ(place.refused.size(), 1u);
  EXPECT_EQ(place.refused[0].failure, valdor::config::Failure::NotPrivate);
  EXPECT_EQ(modeOf(dir / "file"), 0644u);
  EXPECT_EQ(dir.read("file"), "keep");
#endif
}

TEST(Extraction, PlantedLinkAsTheOwnFolderIsRefusedAndItsTargetLeftAlone) {
  VALDOR_SKIP_ON_WINDOWS("plants symbolic links and Unix file modes in XDG folders, which Windows does not use");
#ifndef _WIN32
  TempDir dir;
  ScopedFolders folders(dir);
  std::filesystem::create_directory(dir / "victim");
  ::chmod((dir / "victim").c_str(), 0755);
  std::filesystem::create_directory_symlink(dir / "victim", dir / "run" / "valdor3-tuning");

  const auto place = choosePrivateFolder(std::nullopt);
  EXPECT_EQ(place.folder, dir / "cache" / "valdor3-tuning");
  ASSERT_EQ(place.refused.size(), 1u);
  EXPECT_EQ(place.refused[0].where, valdor::config::pathText(dir / "run" / "valdor3-tuning"));
  EXPECT_EQ(modeOf(dir / "victim"), 0755u);
  EXPECT_EQ(modeOf(place.folder), 0700u);
#endif
}

TEST(Extraction, OwnFolderOfAnotherUserOrOpenToOthersIsRefused) {
  VALDOR_SKIP_ON_WINDOWS("checks Unix file modes of the private folder");
#ifndef _WIN32
  TempDir dir;
  ScopedFolders folders(dir);
  std::filesystem::create_directories(dir / "cache" / "valdor3-tuning");
  ::chmod((dir / "cache" / "valdor3-tuning").c_str(), 0777);  // open to others: never chmod'ed back
  const fs::path foreign = dir / "run" / "valdor3-tuning";
  std::filesystem::create_directory(foreign);
  ::chmod(foreign.c_str(), 0700);
  if (::geteuid() != 0 || ::chown(foreign.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "needs root to hand a folder to nobody";

  const auto place = choosePrivateFolder(std::nullopt);
  EXPECT_TRUE(place.folder.empty());  // the built-in table alone
  EXPECT_EQ(place.refused.size(), 2u);
  EXPECT_EQ(modeOf(dir / "cache" / "valdor3-tuning"), 0777u);
  EXPECT_FALSE(ExtractResourceToTemp(kTranslationResourceId, "INI", kTranslationFileName, place.folder).ok());
#endif
}

TEST(Extraction, LinkAtTheTableIsReplacedNeverFollowed) {
  VALDOR_SKIP_ON_WINDOWS("plants symbolic links and a named pipe, which Windows programs cannot create like this");
#ifndef _WIN32
  TempDir dir;
  std::filesystem::create_directory(dir / "own");
  std::filesystem::create_symlink(dir / "elsewhere.ini", dir / "own" / "translation.ini");  // dangling
  dir.write("victim.ini", "mine");
  std::filesystem::create_symlink(dir / "victim.ini", dir / "own" / "music.mp3");

  ASSERT_TRUE(ExtractResourceToTemp(kTranslationResourceId, "INI", kTranslationFileName, dir / "own").ok());
  EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.ini"));
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "own" / "translation.ini"));
  ASSERT_TRUE(ExtractResourceToTemp(kTranslationResourceId, "INI", "music.mp3", dir / "own").ok());
  EXPECT_EQ(dir.read("victim.ini"), "mine");

  // A pipe in the table's place would block every reader: it is replaced too.
  std::filesystem::remove(dir / "own" / "translation.ini");
  ASSERT_EQ(::mkfifo((dir / "own" / "translation.ini").c_str(), 0600), 0);
  ASSERT_TRUE(ExtractResourceToTemp(kTranslationResourceId, "INI", kTranslationFileName, dir / "own").ok());
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "own" / "translation.ini"));

  // At exit only our regular file goes, never what a link points at.
  std::filesystem::create_symlink(dir / "victim.ini", dir / "link.ini");
  removeExtracted(dir / "link.ini");
  removeExtracted(dir / "own" / "translation.ini");
  EXPECT_EQ(dir.read("victim.ini"), "mine");
  EXPECT_FALSE(std::filesystem::exists(dir / "own" / "translation.ini"));
#endif
}

// ---- look-up ----

TEST(LookUp, TooltipGetsLineBreaksAndTheDefaultRightAfterTheColon) {
  TempDir dir;
  Translator english = extracted(dir, "english");
  EXPECT_EQ(english.LookupText("TOOLTIP_VIEWRANGEHIGH"), "view range high|default:");
  EXPECT_EQ(valdor::config::ConcatText(english.message("TOOLTIP_VIEWRANGEHIGH"), "medium"),
            "view range high\ndefault:medium");
  EXPECT_EQ(english.message("MESSAGE_LOADBACKUP"), "Current data will be overwritten!\n\nContinue?");
}

TEST(LookUp, LanguageSectionDecidesAndUnknownKeysOrLanguagesAreEmpty) {
  TempDir dir;
  Translator translator = extracted(dir, "english");
  EXPECT_EQ(translator.LookupText("MESSAGE_SETTINGSSAVED"), "Settings saved!");
  translator.setLanguage("deutsch");
  EXPECT_NE(translator.LookupText("MESSAGE_SETTINGSSAVED"), "Settings saved!");
  EXPECT_FALSE(translator.LookupText("MESSAGE_SETTINGSSAVED").empty());
  EXPECT_EQ(translator.LookupText("TEXT_NO_SUCH_KEY"), "");
  translator.setLanguage("");
  EXPECT_EQ(translator.LookupText("MESSAGE_SETTINGSSAVED"), "");
}

TEST(LookUp, GeneralMessagesHoldBothLanguagesWithABlankLineBetween) {
  TempDir dir;
  Translator translator = extracted(dir, "");
  const std::string text = translator.generalMessage("MESSAGE_NOINSTALLATIONFOUND");
  EXPECT_NE(text.find("\n\nNo Valdor 3 - Installation found!\nPlease find the file \"Valdor3.exe\" in the game path."),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find('|'), std::string::npos);
  const std::string invalid = translator.generalMessage("MESSAGE_INVALIDPATH");
  EXPECT_EQ(invalid.substr(invalid.size() - 15), "\n\nInvalid path!");
}

TEST(LookUp, AnEditedTableIsSeenByTheNextLookUpAndAVanishedOneFallsBackToTheEmbeddedTable) {
  TempDir dir;
  Translator translator = extracted(dir, "english");
  EXPECT_EQ(translator.LookupText("TEXT_EXIT"), "quit");  // the table is read and kept
  dir.write("translation.ini", "[english]\r\nTEXT_EXIT=changed\r\n");
  EXPECT_EQ(translator.LookupText("TEXT_EXIT"), "changed");
  // Another file put in its place, even of the same size and time. Windows
  // tells a file's number only to whoever opens it, so there only a new size
  // or time shows a replaced table.
  if (!valdor::test::kWindows) {
    const auto modified = std::filesystem::last_write_time(dir / "translation.ini");
    dir.write("other.ini", "[english]\r\nTEXT_EXIT=chAnged\r\n");
    std::filesystem::last_write_time(dir / "other.ini", modified);
    std::filesystem::rename(dir / "other.ini", dir / "translation.ini");
    EXPECT_EQ(translator.LookupText("TEXT_EXIT"), "chAnged");
  }
  std::filesystem::remove(dir / "translation.ini");
  EXPECT_EQ(translator.LookupText("MESSAGE_SETTINGSSAVED"), "Settings saved!");
  dir.write("translation.ini", "[english]\r\nTEXT_EXIT=back\r\n");
  EXPECT_EQ(translator.LookupText("TEXT_EXIT"), "back");
}

TEST(LookUp, FormatGivesUtf8AndKeepsEveryCharacterOfAFileName) {
  TempDir dir;
  dir.write("t.ini", "[english]\r\nMESSAGE_X=Konnte nicht m\xF6glich|{file}||{detail} ({file})\r\n");
  Translator translator(dir / "t.ini");
  translator.setLanguage("english");
  const std::string name = "/home/\xD1\x8E\xD0\xBB\xD1\x8F/\xE8\xA8\xAD\xE5\xAE\x9A/ve3.ini";  // Cyrillic and CJK
  EXPECT_EQ(translator.format("MESSAGE_X", {{"file", name}, {"detail", "disk"}}),
            "Konnte nicht m\xC3\xB6glich\n" + name + "\n\ndisk (" + name + ")");
}

TEST(LookUp, KeyMissingFromAnOlderTableIsAnsweredFromTheCarriedTable) {
  TempDir dir;
  dir.write("t.ini", "[english]\r\nTEXT_EXIT=leave\r\nTEXT_EMPTY=\r\n");
  Translator translator(dir / "t.ini");
  translator.setLanguage("english");
  EXPECT_EQ(translator.LookupText("TEXT_EXIT"), "leave");
  EXPECT_EQ(translator.LookupText("MESSAGE_SETTINGSSAVED"), "Settings saved!");
  EXPECT_EQ(translator.LookupText("TEXT_EMPTY"), "");  // present but empty: the table's word stands
  EXPECT_EQ(translator.LookupText("TEXT_NO_SUCH_KEY"), "");
}

TEST(LookUp, ConvertLineBreaksTurnsEveryMarkerIntoALineFeed) {
  std::string text = "a||b|";
  EXPECT_EQ(ConvertLineBreaks(text), "a\n\nb\n");
  EXPECT_EQ(text, "a\n\nb\n");
}

// ---- entry texts ----
TEST(EntryTexts, QualityLevelsOutsideZeroToThreeHaveNoText) {
  const EntryTexts english{"disabled", "enabled", "low", "medium", "high", "normal", "ultra high"};
  EXPECT_EQ(IndexToQualityText(english, 0), "disabled");
  EXPECT_EQ(IndexToQualityText(english, 3), "high");
  EXPECT_EQ(IndexToQualityText(english, 4), "");
  EXPECT_EQ(IndexToQualityText(english, -1), "");
}
