#include "main_window/start_logos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "i18n/file_messages.h"
#include "support/environment.h"
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
  // Beside the engine file, joined to its folder as the program joins it, so
  // that the shown path is the same text on Windows too.
  fs::path logoIni() const { return dir / "game/Ini" / "logo.ini"; }

  std::string message(const config::Result& result) const { return i18n::failureMessage(translator, result); }

  test::TempDir dir;
  app::ConfigPaths paths;
  i18n::Translator translator;
};

TEST(StartLogos, LogoIniLiesInTheFolderOfTheEngineFile) {
  app::ConfigPaths paths;
  paths.engineIni = "/games/Valdor 3/Ini/ve3.ini";
  EXPECT_EQ(LogoIniPath(paths), fs::path("/games/Valdor 3/Ini/logo.ini"));
}

TEST(StartLogos, EachListIsWrittenAsItsExactBytesWhateverTheFileHeld) {
  LogoFixture f;
  ASSERT_TRUE(WriteStartLogos(f.paths, StartLogos::All).ok());  // no logo.ini yet: created
  ASSERT_TRUE(WriteStartLogos(f.paths, StartLogos::All).ok());
  EXPECT_EQ(test::readBytes(f.logoIni()), kAllLogos);

  test::writeBytes(f.logoIni(), "Intro_A.bik\nIntro_B.bik\nIntro_C.bik\n");  // edited by hand
  ASSERT_TRUE(WriteStartLogos(f.paths, StartLogos::FirstOnly).ok());
  ASSERT_TRUE(WriteStartLogos(f.paths, StartLogos::FirstOnly).ok());
  EXPECT_EQ(test::readBytes(f.logoIni()), kFirstLogo);
}

TEST(StartLogos, WritingKeepsPermissionsAndReportsFailuresByName) {
  using fs::perms;
  LogoFixture f;
  test::writeBytes(f.logoIni(), kAllLogos);
  fs::permissions(f.logoIni(), perms::owner_read | perms::owner_write | perms::group_read);
  ASSERT_TRUE(WriteStartLogos(f.paths, StartLogos::FirstOnly).ok());
  EXPECT_EQ(test::readBytes(f.logoIni()), kFirstLogo);
  if (!test::kWindows) {  // Windows keeps no group or other permissions
    EXPECT_EQ(fs::status(f.logoIni()).permissions(), perms::owner_read | perms::owner_write | perms::group_read);
  }

  fs::permissions(f.logoIni(), perms::owner_read | perms::group_read);  // read-only: never replaced
  const auto readOnly = WriteStartLogos(f.paths, StartLogos::All);
  EXPECT_EQ(test::readBytes(f.logoIni()), kFirstLogo);
  EXPECT_EQ(f.message(readOnly), "Could not save\n" + f.logoIni().string() + "\n\nThe file is read-only.");

  f.paths.engineIni = f.dir / "elsewhere/Ini/ve3.ini";  // a game folder without its Ini folder
  const auto noFolder = WriteStartLogos(f.paths, StartLogos::All);
  EXPECT_EQ(f.message(noFolder),
            "Could not save\n" + (f.dir / "elsewhere/Ini" / "logo.ini").string() + "\n\nThe folder does not exist.");
  EXPECT_FALSE(fs::exists(f.dir / "elsewhere"));
}

}  // namespace
}  // namespace valdor::main_window
