#include "app/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/config_paths.h"
#include "config/environment.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::app {
namespace {

TEST(IniSettingsStore, ValuesSurviveInTheFileWithBlanksAndLongPaths) {
  test::TempDir dir;
  const auto file = dir / "state/settings.ini";  // the folder does not exist yet
  const std::string blanks = "  /games/Valdor 3  ";
  const std::string longPath = "/" + std::string(1500, 'x') + "/Valdor 3";
  {
    IniSettingsStore store(file);
    ASSERT_TRUE(store.write(kInstallDirValue, blanks).ok());
    ASSERT_TRUE(store.write(kLanguageValue, "english").ok());
  }
  IniSettingsStore again(file);
  EXPECT_EQ(again.read(kInstallDirValue), blanks);
  EXPECT_EQ(again.read(kLanguageValue), "english");

  ASSERT_TRUE(again.write(kInstallDirValue, longPath).ok());
  EXPECT_EQ(IniSettingsStore(file).read(kInstallDirValue), longPath);
  EXPECT_EQ(IniSettingsStore(file).read(kLanguageValue), "english");
}

TEST(IniSettingsStore, QuotesInsideAValueAreKept) {
  test::TempDir dir;
  IniSettingsStore store(dir / "settings.ini");
  ASSERT_TRUE(store.write(kInstallDirValue, "\"quoted\" folder").ok());
  EXPECT_EQ(store.read(kInstallDirValue), "\"quoted\" folder");
}

TEST(IniSettingsStore, AbsentFileOrValueReadsEmpty) {
  test::TempDir dir;
  EXPECT_EQ(IniSettingsStore(dir / "missing.ini").read(kInstallDirValue), "");
  const auto file = dir.write("settings.ini", "[SOFTWARE\\Halvikor\\Valdor III]\r\nV3TU_LANGUAGE=english\r\n");
  EXPECT_EQ(IniSettingsStore(file).read(kInstallDirValue), "");
  EXPECT_EQ(IniSettingsStore(file).read(kLanguageValue), "english");
}

TEST(IniSettingsStore, AFolderThatCannotBeMadeIsReportedAsAFailure) {
  test::TempDir dir;
  const auto blocker = dir.write("blocker", "a file, not a folder");
  IniSettingsStore store(blocker / "state/settings.ini");
  const auto result = store.write(kLanguageValue, "deutsch");
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.where, valdor::config::pathText(blocker / "state/settings.ini"));
  EXPECT_EQ(store.read(kLanguageValue), "");
}

TEST(SettingsFile, LiesInTheStateFolderOrTheUsersConfigurationFolder) {
  EXPECT_EQ(settingsFile(std::filesystem::path("/run/state")), "/run/state/settings.ini");
  VALDOR_SKIP_ON_WINDOWS("XDG_CONFIG_HOME is a Unix desktop convention; Windows has its own settings folder");

  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string previous = saved ? saved : "";
  test::setEnv("XDG_CONFIG_HOME", "/home/player/.cfg");
  EXPECT_EQ(settingsFile(std::nullopt), "/home/player/.cfg/valdor3-tuning/settings.ini");
  // A relative value is not a configuration folder.
  test::setEnv("XDG_CONFIG_HOME", "relative");
  EXPECT_EQ(settingsFile(std::nullopt), config::homeFolder() / ".config/valdor3-tuning/settings.ini");
  if (saved) {
    test::setEnv("XDG_CONFIG_HOME", previous);
  } else {
    test::unsetEnv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace valdor::app
