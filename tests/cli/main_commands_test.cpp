#include "cli/main_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/run_command.h"
#include "config/profile.h"
#include "i18n/translator.h"
#include "main_window/main_settings.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::cli {
namespace {

namespace fs = std::filesystem;
using test::readBytes;

// A scratch copy of the sample installation and the command line that edits it.
struct GameCopy {
  GameCopy() {
    dir.copySample("game");
    dir.copySample("documents");
    paths.userOptionsIni = dir / "documents/valdor3/UserOptions.ini";
    paths.engineIni = dir / "game/Ini/ve3.ini";
  }
  Outcome main(std::vector<std::string> args, const std::string& language = "english") const {
    std::vector<std::string> line{"--game-dir", (dir / "game").string(), "--documents-dir",
                                  (dir / "documents").string(), "--state-dir", (dir / "state").string(),
                                  "--language", language, "main"};
    line.insert(line.end(), args.begin(), args.end());
    return run(line);
  }
  std::string files() const { return readBytes(paths.userOptionsIni) + readBytes(paths.engineIni); }

  test::TempDir dir;
  app::ConfigPaths paths;
};

// ---- show ----

TEST(MainCommands, ShowListsTheDemoValuesAsTheWindowShowsThem) {
  const GameCopy game;
  const Outcome english = game.main({"show"});
  EXPECT_EQ(english.exitCode, 0) << english.err;
  EXPECT_EQ(english.out,
            "Resolution=1280x1024@60Hz\nDistanceHigh=high\nDistanceLow=low\nResourceCache=high\nObjectDetails=low\n"
            "ShaderQuality=3.0\nTextureQuality=high\nTextureFilter=anisotropic 8x\nVegetationQuality=medium\n"
            "ShadowQuality=high\nPostProcessing=horizontal blur\nRender.EnableVegetationRendering=disabled\n"
            "VegetationAdmin.Quality=medium\nVegetationAdmin.ViewRange=2750\nShader.EnableTreeShadows=disabled\n"
            "Shader.EnableStaticShadows=disabled\nShader.EnableDetailShadows=disabled\n"
            "AnimationBlending.PhysicControllerDistance=800\nAnimation.MaxRagDolls=24\nEntity.ROI=3000\n"
            "Render.EnableLowpolyRendering=disabled\nRender.MeshLoDQuality=high\nRender.AnimationLoDQuality=normal\n"
            "Render.ImageLoDQuality=high\n");
  const std::string german = game.main({"show"}, "deutsch").out;
  for (const char* line : {"\nDistanceHigh=hoch\n", "\nTextureFilter=anisotrop 8x\n",
                           "\nPostProcessing=horizontale Unsch\xC3\xA4rfe\n", "\nShader.EnableTreeShadows=deaktiviert\n"}) {
    EXPECT_NE(german.find(line), std::string::npos) << line;
  }
}

TEST(MainCommands, ShowGivesAnEmptyValueWhereTheWindowShowsNoChoice) {
  const GameCopy game;
  test::writeBytes(game.paths.userOptionsIni, "[Options.Custom]\r\nDistanceHigh=0\r\nTextureFilter=7\r\n");
  const std::string out = game.main({"show"}).out;
  EXPECT_TRUE(out.starts_with("Resolution=\nDistanceHigh=\n")) << out;
  EXPECT_NE(out.find("\nTextureFilter=\n"), std::string::npos);
}

// ---- set ----

TEST(MainCommands, SetInEitherLanguageWritesWhatTheModelsSaveWrites) {
  const GameCopy expected;
  i18n::Translator translator;
  translator.setLanguage("english");
  auto settings = main_window::LoadMainSettings(expected.paths, main_window::MainTexts::fromTranslator(translator),
                                                {}, {});
  settings.distanceHigh = 0;
  settings.shaderQuality = 1;
  settings.meshLoDQuality = 2;
  settings.enableTreeShadows = 1;
  settings.vegetationAdminViewRange = 3000;
  settings.maxRagDolls = 50;
  settings.fieldsAsStored.erase(main_window::ControlId::VegetationViewRange);
  settings.fieldsAsStored.erase(main_window::ControlId::MaxRagdolls);
  settings.resolution = "1920x1080@60Hz";
  ASSERT_TRUE(main_window::SaveMainSettings(expected.paths, settings).ok());
  const GameCopy english;
  const GameCopy german;
  ASSERT_NE(expected.files(), english.files());

  EXPECT_EQ(english.main({"set", "distancehigh=LOW", "ShaderQuality=2.0", "Render.MeshLoDQuality=Ultra High",
                          "Shader.EnableTreeShadows=enabled", "VegetationAdmin.ViewRange=3000",
                          "Animation.MaxRagDolls=50", "resolution=1920x1080@60Hz", "PostProcessing=horizontal blur"})
                .err, "");
  EXPECT_EQ(german.main({"set", "DistanceHigh=niedrig", "ShaderQuality=2.0", "Render.MeshLoDQuality=ultra hoch",
                         "Shader.EnableTreeShadows=Aktiviert", "VegetationAdmin.ViewRange=3000",
                         "Animation.MaxRagDolls=50", "Resolution=1920x1080@60Hz",
                         "PostProcessing=HORIZONTALE UNSCH\xC3\x84RFE"}, "deutsch")
                .err, "");
  EXPECT_EQ(english.files(), expected.files());
  EXPECT_EQ(german.files(), expected.files());
}

TEST(MainCommands, SetChangesOnlyTheNamedKeys) {
  const GameCopy game;
  std::string engine = readBytes(game.paths.engineIni);
  engine.replace(engine.find("Entity.ROI=3000.0"), 17, "Entity.ROI=-1");
  engine.replace(engine.find("VegetationAdmin.ViewRange=2750.0"), 32, "VegetationAdmin.ViewRange=2750.75");
  test::writeBytes(game.paths.engineIni, engine);
  std::string user = readBytes(game.paths.userOptionsIni);
  user.replace(user.find("RefreshRate=60"), 14, "RefreshRate=59.94");
  test::writeBytes(game.paths.userOptionsIni, user);

  EXPECT_EQ(game.main({"set", "DistanceHigh=low"}).err, "");
  user.replace(user.find("DistanceHigh=3"), 14, "DistanceHigh=1");
  EXPECT_EQ(game.files(), user + engine);
  EXPECT_EQ(game.main({"set", "Animation.MaxRagDolls=50"}).err, "");
  engine.replace(engine.find("MaxRagDolls=24"), 14, "MaxRagDolls=50");
  EXPECT_EQ(game.files(), user + engine);
}

TEST(MainCommands, AnUnknownKeyOrValueNamesWhatIsAllowedAndWritesNothing) {
  const GameCopy game;
  const std::string before = game.files();
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"DistanceHigh=low", "Bogus=1"}, "unknown setting 'Bogus'; the settings are: Resolution, DistanceHigh, "},
      {{"Resolution.Width=1024"}, ", Render.AnimationLoDQuality, Render.ImageLoDQuality\n"},
      {{"ShadowQuality=ultra"}, "ShadowQuality takes \"deaktiviert\", \"niedrig\", \"mittel\", \"hoch\" "},
      {{"PostProcessing=blur"}, "PostProcessing takes \"deaktiviert\", \"Bloom-Effekt\", \"horizontale Unsch\xC3\xA4rfe\""},
      {{"Entity.ROI=12.5"}, "Entity.ROI takes a whole number, not '12.5'"},
      {{"Resolution=1024x768"}, "Resolution takes a display mode WxH@RHz"},
      {{"Resolution=320x200@60Hz"}, "at least 640 pixels wide"}};
  for (const auto& [pairs, message] : cases) {
    std::vector<std::string> args{"set"};
    args.insert(args.end(), pairs.begin(), pairs.end());
    const Outcome result = game.main(args, "deutsch");
    EXPECT_EQ(result.exitCode, 1) << pairs.back();
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
  }
  EXPECT_EQ(game.files(), before);

  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"frob"}, {"set"}, {"set", "DistanceHigh"}, {"show", "x"}, {"defaults", "x"}}) {
    EXPECT_EQ(game.main(args).exitCode, 2) << (args.empty() ? "" : args[0]);
  }
}

TEST(MainCommands, AFailedWriteNamesTheFileAndChangesNothing) {
  const GameCopy game;
  const std::string before = game.files();
  fs::permissions(game.paths.engineIni, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const Outcome result = game.main({"set", "DistanceHigh=low", "Entity.ROI=100"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Could not save\n" + test::native(game.paths.engineIni) + "\n\nThe file is read-only.\n");
  EXPECT_EQ(game.files(), before);

  const Outcome nowhere = run({"--state-dir", (game.dir / "state").string(), "main", "show"});
  EXPECT_EQ(nowhere.exitCode, 1);
  EXPECT_NE(nowhere.err.find("No Valdor 3 - Installation found!"), std::string::npos);
}

// ---- defaults ----

TEST(MainCommands, DefaultsWritesTheRestoreValuesAndLeavesTheResolutionAsStored) {
  const GameCopy game;
  // A mode spelled unlike the window would write it keeps its bytes.
  std::string user = readBytes(game.paths.userOptionsIni);
  user.replace(user.find("Width=1280"), 10, "Width= 1280.0");
  test::writeBytes(game.paths.userOptionsIni, user);
  const std::string video = user.substr(0, user.find("\r\n[Options.Custom]"));

  EXPECT_EQ(game.main({"defaults"}).exitCode, 0);
  EXPECT_TRUE(readBytes(game.paths.userOptionsIni).starts_with(video));
  const std::vector<std::string> written{"2", "2", "2", "2", "2_0", "2", "1", "1", "1", "1", "true", "high",
                                         "3500.0", "true", "true", "true", "1200.0", "999", "4000.0", "true",
                                         "ultrahigh", "ultrahigh", "ultrahigh"};
  for (std::size_t i = 0; i < written.size(); ++i) {
    const auto& row = main_window::kMainRows[i + 3];
    const auto& file = row.file == main_window::MainFile::UserOptions ? game.paths.userOptionsIni : game.paths.engineIni;
    EXPECT_EQ(config::getProfileString(file, row.section, row.key, "missing"), written[i]) << row.key;
  }
}

}  // namespace
}  // namespace valdor::cli
