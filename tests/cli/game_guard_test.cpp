#include "cli/game_guard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/run_command.h"
#include "support/fakes.h"
#include "support/pe_image.h"
#include "support/running_process.h"
#include "support/temp_dir.h"

namespace valdor::cli {
namespace {

namespace fs = std::filesystem;
using test::readBytes;

// A scratch copy of the sample game and the command line that edits it.
struct Game {
  Game() { dir.copySample("game"); }

  Outcome run(std::vector<std::string> args) const {
    std::vector<std::string> line{"--game-dir", (dir / "game").string(), "--state-dir", (dir / "state").string(),
                                  "--language", "english"};
    line.insert(line.end(), args.begin(), args.end());
    return cli::run(line);
  }
  std::string engine() const { return readBytes(engineIni); }

  test::TempDir dir;
  fs::path engineIni = dir / "game/Ini/ve3.ini";
  fs::path executable = dir / "game/valdor3.exe";
};

// ---- the running game ----

TEST(GameGuard, OnlyCommandsThatWriteTheGamesFilesAreGuarded) {
  const Game game;
  const test::FakeSettingsStore store;
  ProgramOptions options;
  options.gameDir = game.dir / "game";
  const auto writes = [&](std::vector<std::string> command) { return writesGameFiles(command, options, store); };
  EXPECT_TRUE(writes({"main", "set", "TextureQuality=low"}));
  EXPECT_TRUE(writes({"cache", "scale", "High", "10"}));
  EXPECT_TRUE(writes({"logos", "restore"}));
  EXPECT_TRUE(writes({"backup", "load", "x.vib"}));
  EXPECT_TRUE(writes({"ini", "set", "--", game.engineIni.string(), "S", "K", "V"}));
  EXPECT_FALSE(writes({"ini", "set", (game.dir / "notes.ini").string(), "S", "K", "V"}));
  EXPECT_FALSE(writes({"main", "show"}));
  EXPECT_FALSE(writes({"backup", "create", "x.vib"}));
  EXPECT_FALSE(writes({"locate"}));
}

#ifndef _WIN32

TEST(GameGuard, AWriteIsRefusedWhileTheGameRunsUnlessForced) {
  const Game game;
  test::copyWaitingProgram(game.executable);
  const std::string before = game.engine();
  test::RunningProcess running(game.executable, {"valdor3.exe", "30"});
  ASSERT_TRUE(running.started());

  const Outcome refused = game.run({"cache", "set", "Cache.SizeImage=1"});
  EXPECT_EQ(refused.exitCode, kExitFailed);
  EXPECT_TRUE(refused.err.starts_with("Not saved: Valdor 3 is running\n" + game.executable.string())) << refused.err;
  EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
  EXPECT_EQ(game.run({"logos", "remove"}).exitCode, kExitFailed);
  EXPECT_EQ(game.run({"ini", "set", game.engineIni.string(), "Engine.Setup", "Cache.SizeImage", "1"}).exitCode,
            kExitFailed);
  EXPECT_EQ(game.engine(), before);
  EXPECT_EQ(game.run({"cache", "show"}).exitCode, kExitDone);  // reading is never refused

  const Outcome forced = game.run({"--force", "cache", "set", "Cache.SizeImage=1"});
  EXPECT_EQ(forced.exitCode, kExitDone) << forced.err;
  EXPECT_NE(game.engine(), before);

  running.stop();
  EXPECT_EQ(game.run({"cache", "set", "Cache.SizeImage=2"}).exitCode, kExitDone);
}

TEST(GameGuard, AGameShowingItsWindowsPathAsUnderWineIsRefusedInGerman) {
  const Game game;  // the sample's valdor3.exe is an empty placeholder, run by no one
  std::string windowsPath = "Z:" + game.executable.string();
  for (char& c : windowsPath) {
    if (c == '/') c = '\\';
  }
  test::RunningProcess wine("/bin/sleep", {windowsPath, "30"});
  ASSERT_TRUE(wine.started());
  const Outcome refused = cli::run({"--game-dir", (game.dir / "game").string(), "--state-dir",
                                    (game.dir / "state").string(), "main", "defaults"});
  EXPECT_EQ(refused.exitCode, kExitFailed);
  EXPECT_TRUE(refused.err.starts_with("Nicht gespeichert: Valdor 3 l\xC3\xA4uft gerade")) << refused.err;
}

#endif

// ---- the memory ceiling ----

TEST(GameGuard, CacheShowWarnsOnStandardErrorAboutALevelPastTheCeiling) {
  const Game game;
  ASSERT_EQ(game.run({"cache", "set", "ResourceCache.u32ImageMaxMemUsage_High=900000000"}).exitCode, kExitDone);
  const Outcome placeholder = game.run({"cache", "show"});
  EXPECT_EQ(placeholder.err, "");  // an empty executable tells nothing

  test::writeBytes(game.executable, test::bytesText(test::peImage(test::kPlainImage)));
  const Outcome warned = game.run({"cache", "show"});
  EXPECT_EQ(warned.exitCode, kExitDone);
  EXPECT_EQ(warned.out, placeholder.out);
  EXPECT_TRUE(warned.err.starts_with("Warning: the final cache of level High (")) << warned.err;
  EXPECT_EQ(std::count(warned.err.begin(), warned.err.end(), '\n'), 1);

  test::writeBytes(game.executable, test::bytesText(test::peImage(test::kAwareImage)));
  EXPECT_EQ(game.run({"cache", "show"}).err, "");
}

}  // namespace
}  // namespace valdor::cli
