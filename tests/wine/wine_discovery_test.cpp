#include "wine/wine_discovery.h"

#include <gtest/gtest.h>

#include "app/config_paths.h"
#include "app/startup.h"
#include "support/fakes.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::wine {
namespace {

namespace fs = std::filesystem;
using app::ConfigPaths;
using app::Startup;
using app::StartupOptions;
using app::setDocumentsFolder;
using app::setGameFolder;

// A Windows path as a registry file spells it: every backslash doubled.
std::string escaped(std::string_view windowsPath) {
  std::string text;
  for (char c : windowsPath) {
    if (c == '\\') text += '\\';
    text += c;
  }
  return text;
}

// A Linux folder as Wine's Z: drive names it, escaped for a registry file.
std::string zDrive(const fs::path& folder) {
  std::string path = "Z:" + folder.string();
  for (char& c : path) c = c == '/' ? '\\' : c;
  return escaped(path);
}

// A system.reg whose key (spelt as in the file) holds INSTALL_DIR (spelt as in
// the file), after a key of Wine's own.
std::string hive(std::string_view key, std::string_view installDir) {
  return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
         "[Software\\\\Wine] 1700000000\n\"Version\"=\"win10\"\n\n"
         "[" + std::string(key) + "] 1700000000\n#time=1d9f0c4a5b6e7f0\n"
         "\"INSTALL_DIR\"=\"" + std::string(installDir) + "\"\n";
}

constexpr std::string_view kKey = "Software\\\\Halvikor\\\\Valdor III";
constexpr std::string_view kKey32 = "Software\\\\Wow6432Node\\\\Halvikor\\\\Valdor III";

ConfigPaths pathsOf(const WineInstallation& installation) {
  ConfigPaths paths;
  setGameFolder(paths, installation.gameFolder);
  setDocumentsFolder(paths, installation.documents);
  return paths;
}

// A home and other disks in a temporary folder; nothing of the real home is read.
class FakeHome {
 public:
  FakeHome() : m_root(fs::canonical(m_dir.path())) { fs::create_directories(home()); }

  fs::path home() const { return m_root / "home"; }
  fs::path root() const { return m_root; }

  DiscoveryEnvironment environment() const {
    auto environment = DiscoveryEnvironment::forHome(home());
    environment.user = "player";
    return environment;
  }

  // A prefix as Wine makes it: drive_c with a user folder, the C: and Z: links.
  fs::path prefix(const fs::path& folder, const std::string& registry, std::string_view user = "player",
                  std::string_view documents = "Documents") const {
    fs::create_directories(folder / "drive_c/users" / user / documents);
    fs::create_directories(folder / "drive_c/users/Public");
    fs::create_directories(folder / "dosdevices");
    fs::create_directory_symlink("../drive_c", folder / "dosdevices/c:");
    fs::create_directory_symlink("/", folder / "dosdevices/z:");
    test::writeBytes(folder / "system.reg", registry);
    return folder;
  }

  fs::path game(const fs::path& folder) const {
    test::writeBytes(folder / "Ini/ve3.ini", "[Engine.Setup]\r\n");
    return folder;
  }

 private:
  test::TempDir m_dir;
  fs::path m_root;
};

// ---- where the search looks ----

TEST(WineDiscovery, AProtonGameWhosePrefixLiesInAnotherLibraryIsFoundOnceThroughTheLinkedRoot) {
  VALDOR_SKIP_ON_WINDOWS("searches Wine prefixes in a Unix home, which only the Linux build does");
  FakeHome fake;
  const auto steam = fake.home() / ".local/share/Steam";
  const auto games = fake.root() / "disk1/SteamLibrary";
  const auto prefixes = fake.root() / "disk2/Lib";
  test::writeBytes(steam / "steamapps/libraryfolders.vdf",
      "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
          "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + games.string() +
          "\"\n\t}\n\t\"2\"\n\t{\n\t\t\"path\"\t\t\"" + prefixes.string() + "\"\n\t}\n}\n");
  fs::create_directories(fake.home() / ".steam");
  fs::create_directory_symlink("../.local/share/Steam", fake.home() / ".steam/steam");
  const auto game = fake.game(games / "steamapps/common/Valdor 3");
  const auto pfx = fake.prefix(prefixes / "steamapps/compatdata/1234/pfx", hive(kKey32, zDrive(game)), "steamuser");
  fake.prefix(steam / "steamapps/compatdata/99/pfx", hive("Software\\\\Other", "C:\\\\"), "steamuser");

  const auto found = findWineInstallations(fake.environment());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].source, InstallationSource::Steam);
  EXPECT_EQ(found[0].prefix, pfx);
  const auto paths = pathsOf(found[0]);
  EXPECT_EQ(paths.engineIni, game / "Ini/ve3.ini");
  EXPECT_EQ(paths.debugIni, game / "Ini/debug.ini");
  EXPECT_EQ(paths.userOptionsIni, pfx / "drive_c/users/steamuser/Documents/valdor3/UserOptions.ini");
}

TEST(WineDiscovery, AFlatpakRootWithTheOldListAndA32BitKeyIsFoundWithNamesMatchedWithoutCase) {
  VALDOR_SKIP_ON_WINDOWS("searches Wine prefixes in a Unix home, which only the Linux build does");
  FakeHome fake;
  const auto steam = fake.home() / ".var/app/com.valvesoftware.Steam/.local/share/Steam";
  const auto library = fake.root() / "flatlib";
  test::writeBytes(steam / "steamapps/libraryfolders.vdf",
      "\"LibraryFolders\"\n{\n\t\"ContentStatsID\"\t\t\"-1\"\n\t\"1\"\t\t\"" + library.string() + "\"\n}\n");
  const auto pfx = library / "steamapps/compatdata/42/pfx";
  // The registry names "Spiele" and "Valdor 3 Ä"; on the disk it is "spiele".
  const auto game = fake.game(pfx / "drive_c/Program Files (x86)/spiele/Valdor 3 \xC3\x84");
  fake.prefix(pfx, hive(kKey32, "C:\\\\Program Files (x86)\\\\Spiele\\\\Valdor 3 \\xc4"), "steamuser");

  const auto found = findWineInstallations(fake.environment());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].source, InstallationSource::Steam);
  EXPECT_EQ(pathsOf(found[0]).engineIni, game / "Ini/ve3.ini");
  EXPECT_EQ(pathsOf(found[0]).userOptionsIni, pfx / "drive_c/users/steamuser/Documents/valdor3/UserOptions.ini");
}

TEST(WineDiscovery, ALutrisPrefixWithOnlyMyDocumentsUsesThatFolder) {
  VALDOR_SKIP_ON_WINDOWS("searches Wine prefixes in a Unix home, which only the Linux build does");
  FakeHome fake;
  test::writeBytes(fake.home() / ".config/lutris/games/valdor-3-1700000000.yml",
      "game:\n  exe: drive_c/Games/Valdor 3/valdor3.exe\n  prefix: ~/Games/valdor-3\n"
      "name: Valdor 3\nrunner: wine\nsystem:\n  prefix: /not/this/one\n");
  const auto pfx = fake.home() / "Games/valdor-3";
  const auto game = fake.game(pfx / "drive_c/Games/Valdor 3");
  fake.prefix(pfx, hive(kKey, "C:\\\\Games\\\\Valdor 3\\\\"), "player", "My Documents");

  const auto found = findWineInstallations(fake.environment());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].source, InstallationSource::Lutris);
  // The trailing backslash of the stored folder gives no doubled separator.
  EXPECT_EQ(pathsOf(found[0]).engineIni.string(), game.string() + "/Ini/ve3.ini");
  EXPECT_EQ(pathsOf(found[0]).userOptionsIni, pfx / "drive_c/users/player/My Documents/valdor3/UserOptions.ini");
}

TEST(WineDiscovery, PrefixesWithoutTheKeyABrokenDriveOrNoGameFilesGiveNothing) {
  VALDOR_SKIP_ON_WINDOWS("searches Wine prefixes in a Unix home, which only the Linux build does");
  FakeHome fake;
  fake.prefix(fake.home() / ".wine", hive("Software\\\\Halvikor", "C:\\\\Games\\\\Valdor 3"));
  fake.game(fake.home() / ".wine/drive_c/Games/Valdor 3");

  const auto broken = fake.prefix(fake.root() / "broken", hive(kKey, "D:\\\\Valdor 3"));
  fs::create_directory_symlink(fake.root() / "unmounted", broken / "dosdevices/d:");
  auto environment = fake.environment();
  environment.winePrefix = broken;

  const auto bottle = fake.home() / ".local/share/bottles/bottles/Games";
  fake.prefix(bottle, hive(kKey, "C:\\\\Valdor 3"));
  fs::create_directories(bottle / "drive_c/Valdor 3/Ini");  // ve3.ini missing
  fs::create_directories(fake.home() / "Games/Heroic/Prefixes/default/Not a prefix/drive_c");

  EXPECT_TRUE(findWineInstallations(environment).empty());
}

TEST(WineDiscovery, SeveralInstallationsComeInTheStoresOrderEachWithItsUsersDocuments) {
  VALDOR_SKIP_ON_WINDOWS("searches Wine prefixes in a Unix home, which only the Linux build does");
  FakeHome fake;
  // Heroic: the game already keeps its options in the folder of "gamer".
  const auto heroic = fake.home() / "Games/Heroic/Prefixes/default/Valdor 3";
  fake.game(heroic / "drive_c/Games/Valdor 3");
  fake.prefix(heroic, hive(kKey32, "c:\\\\Games\\\\Valdor 3"));
  fs::create_directories(heroic / "drive_c/users/gamer/Documents/valdor3");
  // Bottles: the folder named like the Linux user wins over another.
  const auto bottle = fake.home() / ".local/share/bottles/bottles/Valdor";
  fake.prefix(bottle, hive(kKey, "C:\\\\Valdor"));
  fake.game(bottle / "drive_c/Valdor");
  fs::create_directories(bottle / "drive_c/users/aaron/Documents");
  // Plain Wine, named by $WINEPREFIX and linked from ~/.wine: one installation.
  const auto wine = fake.root() / "wine-prefix";
  const auto game = fake.game(fake.root() / "games/Valdor 3");
  fake.prefix(wine, hive(kKey, zDrive(game)));
  fs::create_directory_symlink(wine, fake.home() / ".wine");
  auto environment = fake.environment();
  environment.winePrefix = wine;

  const auto found = findWineInstallations(environment);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].source, InstallationSource::Heroic);
  EXPECT_EQ(pathsOf(found[0]).userOptionsIni, heroic / "drive_c/users/gamer/Documents/valdor3/UserOptions.ini");
  EXPECT_EQ(found[1].source, InstallationSource::Bottles);
  EXPECT_EQ(pathsOf(found[1]).userOptionsIni, bottle / "drive_c/users/player/Documents/valdor3/UserOptions.ini");
  EXPECT_EQ(found[2].source, InstallationSource::Wine);
  EXPECT_EQ(found[2].prefix, wine);
  EXPECT_EQ(pathsOf(found[2]).engineIni, game / "Ini/ve3.ini");
}

// ---- files that no launcher writes ----

TEST(WineDiscovery, BrokenListsAndLauncherFilesAreSkippedAndTheRestIsStillFound) {
  VALDOR_SKIP_ON_WINDOWS("searches Wine prefixes in a Unix home, which only the Linux build does");
  FakeHome fake;
  const auto steam = fake.home() / ".local/share/Steam";
  // Nested 50,000 deep: once a stack overflow at the editor's start.
  test::writeBytes(steam / "steamapps/libraryfolders.vdf",
                   "\"libraryfolders\" { \"0\" { \"a\" " + std::string(50'000, '{') + std::string(50'000, '}') + "}}");
  const auto game = fake.game(steam / "steamapps/common/Valdor 3");
  const auto pfx = fake.prefix(steam / "steamapps/compatdata/7/pfx", hive(kKey32, zDrive(game)), "steamuser");

  // Deeply indented YAML-ish text, and a game file over the size limit that
  // does name a prefix.
  std::string indented = "game:\n";
  for (int i = 1; i < 2000; ++i) indented += std::string(static_cast<std::size_t>(i), ' ') + "- [{\n";
  test::writeBytes(fake.home() / ".config/lutris/games/deep.yml", indented);
  const auto lutris = fake.prefix(fake.home() / "Games/big", hive(kKey, zDrive(game)));
  test::writeBytes(fake.home() / ".config/lutris/games/big.yml",
                   "game:\n  prefix: " + lutris.string() + "\n#" + std::string(1024 * 1024, 'x') + "\n");

  const auto found = findWineInstallations(fake.environment());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].prefix, pfx);
  EXPECT_EQ(found[0].source, InstallationSource::Steam);
}

TEST(LutrisPrefix, OnlyThePrefixOfTheGameSectionCountsQuotedOrBare) {
  const fs::path home = "/home/p";
  EXPECT_EQ(lutrisPrefix("game:\n  prefix: '/a/it''s'\n", home), fs::path("/a/it's"));
  EXPECT_EQ(lutrisPrefix("game:\n  prefix: \"$HOME/x\\\"y\" # c\n", home), fs::path("/home/p/x\"y"));
  EXPECT_EQ(lutrisPrefix("system:\n  prefix: /no\ngame:\n\tprefix: ~/yes # note\r\n", home), fs::path("/home/p/yes"));
  EXPECT_EQ(lutrisPrefix("game:\n  prefix: ''\n", home), std::nullopt);
  EXPECT_EQ(lutrisPrefix("prefix: /top\ngame:\n  exe: x\n", home), std::nullopt);
  EXPECT_EQ(lutrisPrefix("game:\n  prefix: /a\n" + std::string(1024 * 1024, '#'), home), std::nullopt);
}

// ---- the start-up ----

class WineStartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VALDOR_SKIP_ON_WINDOWS("searches Wine prefixes in a Unix home, which only the Linux build does");
    m_steamPrefix = m_fake.home() / ".local/share/Steam/steamapps/compatdata/7/pfx";
    m_steamGame = m_fake.game(m_fake.root() / "library/steamapps/common/Valdor 3");
    m_fake.prefix(m_steamPrefix, hive(kKey32, zDrive(m_steamGame)), "steamuser");
  }

  void addLutrisGame() {
    test::writeBytes(m_fake.home() / ".config/lutris/games/valdor.yml", "game:\n  prefix: $HOME/Games/valdor\n");
    m_lutrisPrefix = m_fake.home() / "Games/valdor";
    m_lutrisGame = m_fake.game(m_lutrisPrefix / "drive_c/Valdor 3");
    m_fake.prefix(m_lutrisPrefix, hive(kKey, "C:\\\\Valdor 3"));
  }

  StartupOptions options() const {
    StartupOptions options;
    options.stateDir = m_fake.root() / "state";
    options.wine = m_fake.environment();
    return options;
  }

  // One start; the paths when it goes on.
  std::optional<ConfigPaths> start(const StartupOptions& startOptions) {
    Startup startup(m_store, m_dialogs, m_translator, startOptions);
    if (!startup.run()) return std::nullopt;
    return startup.paths();
  }
  std::optional<ConfigPaths> start() { return start(options()); }

  fs::path steamDocuments() const { return m_steamPrefix / "drive_c/users/steamuser/Documents"; }
  fs::path lutrisDocuments() const { return m_lutrisPrefix / "drive_c/users/player/Documents"; }

  FakeHome m_fake;
  test::FakeSettingsStore m_store;
  test::FakeDialogs m_dialogs;
  i18n::Translator m_translator;
  fs::path m_steamPrefix, m_steamGame, m_lutrisPrefix, m_lutrisGame;
};

TEST_F(WineStartupTest, OneInstallationIsUsedWithoutAskingAndTheNextStartRebuildsItsPaths) {
  const auto first = start();
  ASSERT_TRUE(first);
  EXPECT_TRUE(m_dialogs.messages.empty());
  EXPECT_TRUE(m_dialogs.choiceLists.empty());
  EXPECT_EQ(first->engineIni, m_steamGame / "Ini/ve3.ini");
  EXPECT_EQ(first->userOptionsIni, steamDocuments() / "valdor3/UserOptions.ini");
  EXPECT_TRUE(fs::is_directory(steamDocuments() / "valdor3"));
  EXPECT_EQ(m_store.values["INSTALL_DIR"], m_steamGame.string());
  EXPECT_EQ(m_store.values["V3TU_DOCUMENTS_DIR"], steamDocuments().string());

  // The prefix is found no more (its library is gone): what was stored is enough.
  fs::remove_all(m_fake.home() / ".local/share/Steam");
  const auto second = start();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->engineIni, first->engineIni);
  EXPECT_EQ(second->userOptionsIni, first->userOptionsIni);
  EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(WineStartupTest, SeveralInstallationsAreOfferedAndTheChosenOneIsStored) {
  addLutrisGame();
  m_dialogs.choiceAnswers.push_back(1);
  const auto paths = start();
  ASSERT_TRUE(paths);
  ASSERT_EQ(m_dialogs.choiceLists.size(), 1u);
  const auto& choices = m_dialogs.choiceLists[0];
  ASSERT_EQ(choices.size(), 2u);
  EXPECT_EQ(choices[0].gameFolder, m_steamGame);
  EXPECT_EQ(choices[0].source, "steam");
  EXPECT_EQ(choices[0].prefix, m_steamPrefix);
  EXPECT_EQ(choices[1].source, "lutris");
  // Before the language is known: both languages.
  EXPECT_NE(m_dialogs.choicePrompts[0].find("Mehrere Valdor 3"), std::string::npos);
  EXPECT_NE(m_dialogs.choicePrompts[0].find("\n\nSeveral Valdor 3"), std::string::npos);

  EXPECT_TRUE(m_dialogs.messages.empty());
  EXPECT_EQ(paths->engineIni, m_lutrisGame / "Ini/ve3.ini");
  EXPECT_EQ(paths->userOptionsIni, lutrisDocuments() / "valdor3/UserOptions.ini");
  EXPECT_EQ(m_store.values["INSTALL_DIR"], m_lutrisGame.string());
  EXPECT_EQ(m_store.values["V3TU_DOCUMENTS_DIR"], lutrisDocuments().string());
}

TEST_F(WineStartupTest, DecliningTheListLeadsToTheManualLocationWhichFindsThePrefixOfTheChosenFile) {
  addLutrisGame();
  m_dialogs.fileAnswers.push_back(m_lutrisGame / "valdor3.exe");
  const auto paths = start();
  ASSERT_TRUE(paths);
  EXPECT_EQ(m_dialogs.choiceLists.size(), 1u);
  ASSERT_EQ(m_dialogs.messages.size(), 1u);
  EXPECT_NE(m_dialogs.messages[0].find("No Valdor 3 - Installation found!"), std::string::npos);
  EXPECT_EQ(paths->userOptionsIni, lutrisDocuments() / "valdor3/UserOptions.ini");
  EXPECT_EQ(m_store.values["INSTALL_DIR"], m_lutrisGame.string());
  EXPECT_EQ(m_store.values["V3TU_DOCUMENTS_DIR"], lutrisDocuments().string());

  // Cancelled as well: the tool ends and stores nothing.
  m_store.values.clear();
  m_store.writes = 0;
  EXPECT_FALSE(start());
  EXPECT_EQ(m_store.writes, 0);
}

TEST_F(WineStartupTest, AProtonGameChosenByHandTakesThePrefixItsManifestNames) {
  // Without the key in the prefix the search finds nothing; the game lies in
  // a library of its own, its prefix in the Steam root's.
  test::writeBytes(m_steamPrefix / "system.reg", hive("Software\\\\Wine", "C:\\\\"));
  const auto steamapps = m_steamGame.parent_path().parent_path();
  test::writeBytes(steamapps / "appmanifest_5.acf", "\"AppState\"\n{\n\t\"appid\"\t\"5\"\n\t\"installdir\"\t\"Other\"\n}\n");
  test::writeBytes(steamapps / "appmanifest_7.acf", "\"AppState\"\n{\n\t\"appid\"\t\"7\"\n\t\"installdir\"\t\"Valdor 3\"\n}\n");
  m_dialogs.fileAnswers.push_back(m_steamGame / "valdor3.exe");
  const auto paths = start();
  ASSERT_TRUE(paths);
  EXPECT_EQ(m_dialogs.messages.size(), 1u);
  EXPECT_EQ(paths->userOptionsIni, steamDocuments() / "valdor3/UserOptions.ini");
  EXPECT_EQ(m_store.values["V3TU_DOCUMENTS_DIR"], steamDocuments().string());
}

TEST_F(WineStartupTest, GivenFoldersWinAndAreNotStored) {
  // A game folder given inside a prefix takes that prefix's documents folder...
  auto given = options();
  given.gameDir = m_steamPrefix / "drive_c/Valdor";
  m_fake.game(*given.gameDir);
  auto paths = start(given);
  ASSERT_TRUE(paths);
  EXPECT_EQ(paths->userOptionsIni, steamDocuments() / "valdor3/UserOptions.ini");
  // ...and a given documents folder wins over the one found.
  given.gameDir.reset();
  given.documentsDir = m_fake.root() / "docs";
  paths = start(given);
  ASSERT_TRUE(paths);
  EXPECT_EQ(paths->engineIni, m_steamGame / "Ini/ve3.ini");
  EXPECT_EQ(paths->userOptionsIni, m_fake.root() / "docs/valdor3/UserOptions.ini");
  EXPECT_EQ(m_store.values["V3TU_DOCUMENTS_DIR"], steamDocuments().string());
}

}  // namespace
}  // namespace valdor::wine
