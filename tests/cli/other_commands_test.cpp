#include "cli/other_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cli/run_command.h"
#include "config/encoding.h"
#include "config/profile.h"
#include "other_window/other_settings.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::cli {
namespace {

namespace fs = std::filesystem;
namespace ow = other_window;
using test::readBytes;

// A scratch copy of the sample game and the command line that edits it.
struct OtherGameCopy {
  OtherGameCopy() { dir.copySample("game"); }
  Outcome other(std::vector<std::string> args, const std::string& language = "english") const {
    std::vector<std::string> line{"--game-dir", (dir / "game").string(), "--documents-dir",
                                  (dir / "documents").string(), "--state-dir", (dir / "state").string(),
                                  "--language", language, "other"};
    line.insert(line.end(), args.begin(), args.end());
    return run(line);
  }
  std::string files() const { return readBytes(engineIni) + readBytes(debugIni); }

  test::TempDir dir;
  fs::path engineIni = dir / "game/Ini/ve3.ini";
  fs::path debugIni = dir / "game/Ini/debug.ini";
};

TEST(OtherCommands, ShowListsTheSampleValuesInTheWindowsOrder) {
  const OtherGameCopy game;
  const Outcome english = game.other({"show"});
  EXPECT_EQ(english.exitCode, 0) << english.err;
  EXPECT_EQ(english.out,
            "ObjectDetails.fRangedBaseLoDOffset_Low=-250\nDistanceHigh.fFarClippingPlane_Low=5000\n"
            "DistanceLow.fFarClippingPlaneLowPolyMesh_Low=18000\nObjectDetails.fRangedBaseLoDOffset_Medium=50\n"
            "DistanceHigh.fFarClippingPlane_Medium=7500\nDistanceLow.fFarClippingPlaneLowPolyMesh_Medium=40000\n"
            "ObjectDetails.fRangedBaseLoDOffset_High=400\nDistanceHigh.fFarClippingPlane_High=12000\n"
            "DistanceLow.fFarClippingPlaneLowPolyMesh_High=90000\nRender.PrefetchGridCellSize=8000\n"
            "fMaxDistToPlayer=650\nRender.DOFStart=1500\nRender.DOFEnd=9000\nFpS.Average=40\nFpS.Min=20\n"
            "FpS.Max=60\nRender.GlobalVisualLoDFactor=0.02\nPlayerMemory.Enabled=enabled\nTestMode=enabled\n");
  const std::string german = game.other({"show"}, "deutsch").out;
  EXPECT_TRUE(german.ends_with("\nPlayerMemory.Enabled=aktiviert\nTestMode=aktiviert\n")) << german;
}

TEST(OtherCommands, SetInEitherLanguageWritesWhatTheModelsSaveWrites) {
  const OtherGameCopy expected;
  auto settings = ow::LoadOtherSettings(expected.engineIni, expected.debugIni);
  settings.lowViewRangeObjects = -400;
  settings.fpsMax = 4294967295u;
  settings.levelOfDetail = 0.025f;
  settings.playerMemory = ow::SwitchPosition::Off;
  ASSERT_TRUE(ow::SaveOtherSettings(expected.engineIni, expected.debugIni, settings).ok());
  const OtherGameCopy english;
  const OtherGameCopy german;
  ASSERT_NE(expected.files(), english.files());

  EXPECT_EQ(english.other({"set", "objectdetails.frangedbaselodoffset_low=-400", "FpS.Max=4294967295",
                           "Render.GlobalVisualLoDFactor= 0.025", "PlayerMemory.Enabled=Disabled"})
                .err, "");
  EXPECT_EQ(german.other({"set", "ObjectDetails.fRangedBaseLoDOffset_Low=-400", "fps.max=4294967295",
                          "render.globalvisuallodfactor=2.5e-2", "playermemory.enabled=deaktiviert"}, "deutsch")
                .err, "");
  EXPECT_EQ(english.files(), expected.files());
  EXPECT_EQ(german.files(), expected.files());
}

// Both files saved as Unicode: the values show as from the ANSI files, and a
// set writes the same lines, in Unicode.
TEST(OtherCommands, UnicodeFilesShowTheirValuesAndStayUnicodeOnSet) {
  const OtherGameCopy ansi;
  const OtherGameCopy unicode;
  auto asUnicode = [](const std::string& text) {
    return "\xff\xfe" + config::encodeProfileText(config::TextEncoding::Utf16Le, text);
  };
  for (const fs::path& file : {unicode.engineIni, unicode.debugIni}) test::writeBytes(file, asUnicode(readBytes(file)));
  EXPECT_EQ(unicode.other({"show"}).out, ansi.other({"show"}).out);

  const std::vector<std::string> set{"set", "FpS.Max=90", "TestMode=disabled"};
  ASSERT_EQ(ansi.other(set).exitCode, 0);
  const Outcome result = unicode.other(set);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(readBytes(unicode.engineIni), asUnicode(readBytes(ansi.engineIni)));
  EXPECT_EQ(readBytes(unicode.debugIni), asUnicode(readBytes(ansi.debugIni)));
}

TEST(OtherCommands, EverySpellingOfATooSmallFactorIsTakenAsZero) {
  // The game reads both as 0; neither is refused as no decimal number.
  const OtherGameCopy exponent;
  const OtherGameCopy writtenOut;
  EXPECT_EQ(exponent.other({"set", "Render.GlobalVisualLoDFactor=1e-400"}).exitCode, 0);
  const Outcome result = writtenOut.other({"set", "Render.GlobalVisualLoDFactor=0." + std::string(400, '0') + "1"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(writtenOut.files(), exponent.files());
  EXPECT_NE(writtenOut.files().find("Render.GlobalVisualLoDFactor=0.00"), std::string::npos);
}

TEST(OtherCommands, AFactorAtTheEdgeOfFloatShowsAsATextSetTakesAndAnUnrelatedSetNeverChangesIt) {
  const OtherGameCopy game;
  const auto storeFactor = [&game](std::string_view text) {
    config::ProfileEdit edit(game.engineIni);
    edit.set("Engine.Setup", "Render.GlobalVisualLoDFactor", text);
    return edit.save().ok();
  };
  ASSERT_TRUE(storeFactor("3.4028235e38"));
  const std::string largest = "Render.GlobalVisualLoDFactor=3.4028235e+38";
  const Outcome shown = game.other({"show"});
  EXPECT_NE(shown.out.find("\n" + largest + "\n"), std::string::npos) << shown.out;
  const Outcome set = game.other({"set", largest});
  EXPECT_EQ(set.exitCode, 0) << set.err;
  EXPECT_NE(game.other({"show"}).out.find("\n" + largest + "\n"), std::string::npos);

  ASSERT_TRUE(storeFactor("1e39"));
  const Outcome unrelated = game.other({"set", "FpS.Min=5"});
  EXPECT_EQ(unrelated.exitCode, 0) << unrelated.err;
  EXPECT_EQ(config::getProfileString(game.engineIni, "Engine.Setup", "Render.GlobalVisualLoDFactor", ""), "1e39");
  EXPECT_EQ(config::getProfileString(game.engineIni, "Engine.Setup", "FpS.Min", ""), "5.0");
  EXPECT_EQ(game.other({"set", "Render.GlobalVisualLoDFactor=1e39"}).exitCode, 1);

  // Two decimals would make 0.015 into 0.01: setting another value leaves it.
  ASSERT_TRUE(storeFactor("0.015"));
  ASSERT_EQ(game.other({"set", "FpS.Min=6"}).exitCode, 0);
  EXPECT_EQ(config::getProfileString(game.engineIni, "Engine.Setup", "Render.GlobalVisualLoDFactor", ""), "0.015");
}

TEST(OtherCommands, AnUnknownKeyOrValueNamesWhatIsAllowedAndWritesNothing) {
  const OtherGameCopy game;
  const std::string before = game.files();
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"FpS.Min=5", "Bogus=1"},
       "unknown setting 'Bogus'; the settings are: ObjectDetails.fRangedBaseLoDOffset_Low, "},
      {{"FpS.Min=-1"}, "FpS.Min takes a whole number from 0 to 4294967295, not '-1'"},
      {{"DistanceHigh.fFarClippingPlane_Low=300.5"}, "takes a whole number from -2147483648 to 2147483647"},
      {{"Render.GlobalVisualLoDFactor=0,5"}, "takes a decimal number with a point"},
      {{"TestMode=true"}, "TestMode takes \"deaktiviert\", \"aktiviert\" (in English or German), not 'true'"},
      {{"FpS.Max="}, "FpS.Max takes a whole number"}};
  for (const auto& [pairs, message] : cases) {
    std::vector<std::string> args{"set"};
    args.insert(args.end(), pairs.begin(), pairs.end());
    const Outcome result = game.other(args, "deutsch");
    EXPECT_EQ(result.exitCode, 1) << pairs.back();
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
  }
  EXPECT_EQ(game.files(), before);

  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"frob"}, {"set"}, {"set", "FpS.Max"}, {"show", "x"}, {"defaults", "x"}}) {
    EXPECT_EQ(game.other(args).exitCode, 2) << (args.empty() ? "" : args[0]);
  }
}

TEST(OtherCommands, AFailedWriteNamesTheFileAndChangesNeitherFile) {
  const OtherGameCopy game;
  const std::string before = game.files();
  fs::permissions(game.debugIni, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const Outcome result = game.other({"set", "FpS.Min=25", "PlayerMemory.Enabled=disabled"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Could not save\n" + test::native(game.debugIni) + "\n\nThe file is read-only.\n");
  EXPECT_EQ(game.files(), before);
}

TEST(OtherCommands, DefaultsWritesTheRestoreValuesIntoBothFiles) {
  const OtherGameCopy game;
  ASSERT_EQ(game.other({"defaults"}).exitCode, 0);
  const std::vector<std::string> written{"-300.0", "6000.0", "20000.0", "0.0",    "8000.0", "45000.0", "300.0",
                                         "10000.0", "100000.0", "30.0", "10.0",   "120.0",  "10000",   "500.0",
                                         "1000.0", "8000.0",  "0.01",     "false", "false"};
  for (std::size_t i = 0; i < written.size(); ++i) {
    const ow::OtherRow& row = ow::kOtherRows[i];
    const fs::path& file = row.file == ow::OtherFile::Engine ? game.engineIni : game.debugIni;
    EXPECT_EQ(config::getProfileString(file, row.section, row.key, "missing"), written[i]) << row.key;
  }
  EXPECT_EQ(config::getProfileString(game.debugIni, "PropertySets", "PlayerMemory.MaxEntries"), "64");
}

}  // namespace
}  // namespace valdor::cli
