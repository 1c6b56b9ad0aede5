#include "main_window/start_logos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/fakes.h"
#include "support/temp_dir.h"

namespace valdor::main_window {
namespace {

namespace fs = std::filesystem;

// All five videos: the names joined by CR LF, no line end after the last (78 bytes).
const std::string kAllLogos =
    "V3_Logo_01.bik\r\nV3_Logo_02.bik\r\nV3_Logo_03.bik\r\nV3_Logo_04.bik\r\nV3_Logo_05.bik";
// The first video only (14 bytes).
const std::string kFirstLogo = "V3_Logo_01.bik";

struct LogoFixture {
  LogoFixture() {
    paths.engineIni = dir.write("game/Ini/ve3.ini", "[Engine.Setup]\r\n");
    translator.setLanguage("english");
  }
  fs::path logoIni() const { return dir / "game/Ini/logo.ini"; }

  test::TempDir dir;
  app::ConfigPaths paths;
  i18n::Translator translator;
  test::FakeDialogs dialogs;
};

TEST(StartLogos, LogoIniLiesInTheFolderOfTheEngineFile) {
  app::ConfigPaths paths;
  paths.engineIni = "/games/Valdor 3/Ini/ve3.ini";
  EXPECT_EQ(LogoIniPath(paths), fs::path("/games/Valdor 3/Ini/logo.ini"));
}

TEST(StartLogos, EachButtonWritesItsExactBytesAfterAYesWhateverTheFileHeld) {
  LogoFixture f;
  f.dialogs.yesNoAnswers = {false, true, true, true, true};

  RestoreStartLogos(f.paths, f.translator, f.dialogs);  // No
  EXPECT_FALSE(fs::exists(f.logoIni()));
  RestoreStartLogos(f.paths, f.translator, f.dialogs);  // no logo.ini yet: created
  RestoreStartLogos(f.paths, f.translator, f.dialogs);
  EXPECT_EQ(test::readBytes(f.logoIni()), kAllLogos);

  test::writeBytes(f.logoIni(), "Intro_A.bik\nIntro_B.bik\nIntro_C.bik\n");  // edited by hand
  RemoveStartLogos(f.paths, f.translator, f.dialogs);
  RemoveStartLogos(f.paths, f.translator, f.dialogs);
  EXPECT_EQ(test::readBytes(f.logoIni()), kFirstLogo);
  test::writeBytes(f.logoIni(), kAllLogos);
  RemoveStartLogos(f.paths, f.translator, f.dialogs);  // no answers left: No
  EXPECT_EQ(test::readBytes(f.logoIni()), kAllLogos);

  ASSERT_EQ(f.dialogs.questions.size(), 6u);
  EXPECT_EQ(f.dialogs.questions[0], "Do you really want to restore the start logos?");
  EXPECT_EQ(f.dialogs.questions[3], "Do you really want to remove the start logos?");
  EXPECT_TRUE(f.dialogs.messages.empty());
}

TEST(StartLogos, WritingKeepsPermissionsAndReportsFailuresByName) {
  using fs::perms;
  LogoFixture f;
  f.dialogs.yesNoAnswers = {true, true, true};

  test::writeBytes(f.logoIni(), kAllLogos);
  fs::permissions(f.logoIni(), perms::owner_read | perms::owner_write | perms::group_read);
  RemoveStartLogos(f.paths, f.translator, f.dialogs);
  EXPECT_EQ(test::readBytes(f.logoIni()), kFirstLogo);
  EXPECT_EQ(fs::status(f.logoIni()).permissions(), perms::owner_read | perms::owner_write | perms::group_read);

  fs::permissions(f.logoIni(), perms::owner_read | perms::group_read);  // read-only: never replaced
  RestoreStartLogos(f.paths, f.translator, f.dialogs);
  EXPECT_EQ(test::readBytes(f.logoIni()), kFirstLogo);
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.dialogs.messages[0], "Could not save\n" + f.logoIni().string() + "\n\nThe file is read-only.");

  f.paths.engineIni = f.dir / "elsewhere/Ini/ve3.ini";  // a game folder without its Ini folder
  RestoreStartLogos(f.paths, f.translator, f.dialogs);
  ASSERT_EQ(f.dialogs.messages.size(), 2u);
  EXPECT_EQ(f.dialogs.messages[1],
            "Could not save\n" + (f.dir / "elsewhere/Ini/logo.ini").string() + "\n\nThe folder does not exist.");
  EXPECT_FALSE(fs::exists(f.dir / "elsewhere"));
}

}  // namespace
}  // namespace valdor::main_window
