#include "app/startup.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "config/list_search.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::app {
namespace {

using test::FakeDialogs;
using test::FakeSettingsStore;

// A game folder with its engine file, a documents folder and the tool's state
// folder, all inside one temporary folder.
class StartupTest : public ::testing::Test {
 protected:
  StartupTest() {
    m_dir.write("game/Ini/ve3.ini", "[Engine.Setup]\r\n");
    m_dir.write("game/valdor3.exe", "MZ");
    std::filesystem::create_directories(m_dir / "documents");
  }

  StartupOptions options() const { return {std::nullopt, m_dir / "documents", m_dir / "state"}; }
  std::filesystem::path game() const { return m_dir / "game"; }

  // One start of the tool, as far as the language box: true when it goes on.
  bool start(std::optional<std::filesystem::path> gameDir = std::nullopt) {
    auto startOptions = options();
    startOptions.gameDir = std::move(gameDir);
    Startup startup(m_store, m_dialogs, m_translator, startOptions);
    if (!startup.run()) return false;
    m_paths = startup.paths();
    m_gameFolder = startup.gameFolder();
    m_languageIndex = startup.languageIndex();
    startup.changeLanguage(m_languageIndex ? languageEntries()[*m_languageIndex] : std::string());
    return true;
  }

  test::TempDir m_dir;
  FakeSettingsStore m_store;
  FakeDialogs m_dialogs;
  i18n::Translator m_translator;
  ConfigPaths m_paths;
  std::filesystem::path m_gameFolder;
  std::optional<std::size_t> m_languageIndex;
};

// ---- manual location ----

TEST_F(StartupTest, WithoutStoredFolderTheMessageIsShownWholeAndTheChoiceIsStored) {
  m_dialogs.fileAnswers.push_back(game() / "Launcher.exe");
  ASSERT_TRUE(start());

  ASSERT_EQ(m_dialogs.messages.size(), 1u);
  const std::string& message = m_dialogs.messages[0];
  EXPECT_TRUE(message.starts_with("Keine Valdor 3 - Installation gefunden!\n")) << message;
  EXPECT_TRUE(message.ends_with("\n\nNo Valdor 3 - Installation found!\n"
                                "Please find the file \"Valdor3.exe\" in the game path."))
      << message;

  ASSERT_EQ(m_dialogs.openDialogs.size(), 1u);
  const auto& dialog = m_dialogs.openDialogs[0];
  EXPECT_EQ(dialog.title, "\"Valdor3.exe\"");
  EXPECT_EQ(dialog.filterDescription, "*.exe");
  EXPECT_EQ(dialog.filterPattern, "*.exe");
  EXPECT_EQ(dialog.fileName, "valdor3.exe");

  EXPECT_EQ(m_gameFolder, game());
  EXPECT_EQ(m_store.values["INSTALL_DIR"], game().string());
  EXPECT_EQ(m_store.values["V3TU_LANGUAGE"], "deutsch");
  EXPECT_EQ(m_paths.engineIni.string(), game().string() + test::native("/Ini/ve3.ini"));
  EXPECT_EQ(m_paths.debugIni.string(), game().string() + test::native("/Ini/debug.ini"));
}

TEST_F(StartupTest, AFolderWithoutTheEngineFileIsRefusedOnceAndNothingIsStored) {
  m_dir.write("elsewhere/valdor3.exe", "MZ");
  m_dialogs.fileAnswers.push_back(m_dir / "elsewhere/valdor3.exe");
  EXPECT_FALSE(start());
  ASSERT_EQ(m_dialogs.messages.size(), 2u);
  EXPECT_NE(m_dialogs.messages[1].find("Invalid path!"), std::string::npos);
  EXPECT_EQ(m_store.writes, 0);
}

TEST_F(StartupTest, CancellingTheFileDialogEndsWithoutAnotherMessageOrStore) {
  EXPECT_FALSE(start());
  EXPECT_EQ(m_dialogs.messages.size(), 1u);
  EXPECT_EQ(m_store.writes, 0);
}

TEST_F(StartupTest, UnderWineTheFileDialogStartsInASteamLibraryElseTheHomeAndShowsHiddenFolders) {
  const auto home = m_dir / "home";
  std::filesystem::create_directories(home);
  auto withWine = options();
  withWine.wine = wine::DiscoveryEnvironment::forHome(home);
  const auto firstDialog = [&](const StartupOptions& startOptions) {
    m_dialogs.openDialogs.clear();
    EXPECT_FALSE(Startup(m_store, m_dialogs, m_translator, startOptions).run());  // cancelled
    return m_dialogs.openDialogs.at(0);
  };

  EXPECT_EQ(firstDialog(withWine).folder, home);
  EXPECT_TRUE(firstDialog(withWine).showHidden);

  // A Steam root without games yet, then with the folder Steam installs them in.
  std::filesystem::create_directories(home / ".local/share/Steam/steamapps");
  EXPECT_EQ(firstDialog(withWine).folder, home);
  std::filesystem::create_directories(home / ".local/share/Steam/steamapps/common");
  EXPECT_EQ(firstDialog(withWine).folder, std::filesystem::canonical(home / ".local/share/Steam/steamapps/common"));

  // On Windows the dialog opens where the platform chooses.
  EXPECT_EQ(firstDialog(options()).folder, std::filesystem::path());
  EXPECT_FALSE(firstDialog(options()).showHidden);
}

TEST_F(StartupTest, AFailedStoreIsShownNamingTheFileAndTheFolderIsUsedAnyway) {
  m_store.failure = config::Failure::AccessDenied;
  m_dialogs.fileAnswers.push_back(game() / "valdor3.exe");
  ASSERT_TRUE(start());
  EXPECT_EQ(m_gameFolder, game());
  // Before the language is known: German. The language writes that fail the
  // same way are not reported again.
  ASSERT_EQ(m_dialogs.messages.size(), 2u);
  EXPECT_EQ(m_dialogs.messages[1], "Speichern nicht m\xC3\xB6glich\n/fake/settings.ini\n\nZugriff verweigert.");
}

// ---- stored and given folders ----

TEST_F(StartupTest, AStoredFolderIsUsedExactlyAsStored) {
  m_store.values["INSTALL_DIR"] = game().string() + "/";
  ASSERT_TRUE(start());
  EXPECT_TRUE(m_dialogs.messages.empty());
  EXPECT_TRUE(m_dialogs.openDialogs.empty());
  EXPECT_EQ(m_paths.engineIni.string(), game().string() + "/" + test::native("/Ini/ve3.ini"));
  EXPECT_EQ(m_store.values["INSTALL_DIR"], game().string() + "/");
}

TEST_F(StartupTest, AGivenGameFolderWinsOverTheStoredOneAndIsNotStored) {
  m_store.values["INSTALL_DIR"] = "/somewhere/else";
  ASSERT_TRUE(start(game()));
  EXPECT_EQ(m_gameFolder, game());
  EXPECT_EQ(m_store.values["INSTALL_DIR"], "/somewhere/else");
  EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(StartupTest, PathsAndTheExtractedTableLieWhereTheOptionsSay) {
  m_store.values["INSTALL_DIR"] = game().string();
  i18n::Translator translator;
  Startup startup(m_store, m_dialogs, translator, options());
  ASSERT_TRUE(startup.run());
  EXPECT_EQ(startup.paths().userOptionsIni.string(),
            (m_dir / "documents").string() + test::native("/valdor3/UserOptions.ini"));
  EXPECT_TRUE(std::filesystem::is_directory(m_dir / "documents/valdor3"));
  EXPECT_EQ(startup.paths().translationFile, m_dir / "state/translation.ini");
  EXPECT_TRUE(std::filesystem::exists(startup.paths().translationFile));
  startup.removeTranslationFile();
  EXPECT_FALSE(std::filesystem::exists(m_dir / "state/translation.ini"));
}

// ---- language ----

TEST_F(StartupTest, TheStoredLanguageSelectsByPrefixIgnoringCase) {
  struct Case {
    std::string stored;
    std::string selected;
  };
  for (const Case& c : {Case{"English", "english"}, Case{"e", "english"}, Case{"DEUTSCH", "deutsch"},
                        Case{"d", "deutsch"}, Case{"francais", ""}}) {
    m_store.values["INSTALL_DIR"] = game().string();
    m_store.values["V3TU_LANGUAGE"] = c.stored;
    ASSERT_TRUE(start());
    EXPECT_EQ(m_store.values["V3TU_LANGUAGE"], c.selected) << c.stored;
    EXPECT_EQ(m_translator.language(), c.selected) << c.stored;
  }
}

TEST_F(StartupTest, AnEmptyStoredLanguageCountsAsAbsentAndBecomesGerman) {
  m_store.values["INSTALL_DIR"] = game().string();
  m_store.values["V3TU_LANGUAGE"] = "";
  ASSERT_TRUE(start());
  EXPECT_EQ(m_languageIndex, 0u);
  EXPECT_EQ(m_store.values["V3TU_LANGUAGE"], "deutsch");
  EXPECT_EQ(m_store.writes, 2);  // the default, then the language handler
}

TEST(FindStringPrefix, SearchesAfterTheStartEntryAndWrapsRound) {
  const std::vector<std::string> entries{"alpha", "alpine", "beta"};
  EXPECT_EQ(config::findStringPrefix(entries, "AL"), 0u);
  EXPECT_EQ(config::findStringPrefix(entries, "al", 0), 1u);
  EXPECT_EQ(config::findStringPrefix(entries, "al", 1), 0u);
  EXPECT_EQ(config::findStringPrefix(entries, "gamma", 0), std::nullopt);
}

}  // namespace
}  // namespace valdor::app
