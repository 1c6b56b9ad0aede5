#include <gtest/gtest.h>
#include <sys/stat.h>

#include "config/value_words.h"
#include "app/resources.h"
#include "i18n/entry_texts.h"
#include "i18n/translator.h"
#include "support/temp_dir.h"

using namespace valdor::i18n;
using namespace valdor::app;
using valdor::test::TempDir;

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
  TempDir dir;
  auto folder = privateFolder(dir / "state");
  EXPECT_EQ(folder, dir / "state");
  struct stat info {};
  ASSERT_EQ(::stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
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

TEST(LookUp, EveryReadGoesToTheFileAndAVanishedFileFallsBackToTheEmbeddedTable) {
  TempDir dir;
  Translator translator = extracted(dir, "english");
  dir.write("translation.ini", "[english]\r\nTEXT_EXIT=changed\r\n");
  EXPECT_EQ(translator.LookupText("TEXT_EXIT"), "changed");
  std::filesystem::remove(dir / "translation.ini");
  EXPECT_EQ(translator.LookupText("MESSAGE_SETTINGSSAVED"), "Settings saved!");
}

TEST(LookUp, FormatFillsPlaceholdersWithFileNamesInTheTextsEncoding) {
  TempDir dir;
  dir.write("t.ini", "[english]\r\nMESSAGE_X=Could not save|{file}||{detail} ({file})\r\n");
  Translator translator(dir / "t.ini");
  translator.setLanguage("english");
  EXPECT_EQ(translator.format("MESSAGE_X", {{"file", "/home/j\xc3\xb6rg/ve3.ini"}, {"detail", "disk"}}),
            "Could not save\n/home/j\xf6rg/ve3.ini\n\ndisk (/home/j\xf6rg/ve3.ini)");
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
