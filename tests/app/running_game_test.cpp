#include "app/running_game.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "support/running_process.h"
#include "support/temp_dir.h"

namespace valdor::app {
namespace {

namespace fs = std::filesystem;

// Paths as Linux shows them and as Wine shows them there; Windows itself
// names processes by their image file only, and finds files whatever their case.
#ifndef _WIN32

TEST(RunningGame, ExecutableIsFoundWhateverTheCaseOfItsName) {
  test::TempDir dir;
  dir.write("a/Valdor3.EXE", "");
  fs::create_directories(dir / "b");
  EXPECT_EQ(gameExecutableIn(dir / "a"), dir / "a/Valdor3.EXE");
  EXPECT_EQ(gameExecutableIn(dir / "b"), dir / "b/valdor3.exe");
}

// A game folder inside a Wine prefix, with a D: drive that leads elsewhere.
struct WineGame {
  WineGame() {
    dir.write("pfx/system.reg", "WINE REGISTRY Version 2\n");
    dir.write("pfx/drive_c/Games/Valdor3/valdor3.exe", "");
    dir.write("data/Valdor3/valdor3.exe", "");
    fs::create_directories(dir / "pfx/dosdevices");
    fs::create_symlink(dir / "data", dir / "pfx/dosdevices/d:");
  }
  test::TempDir dir;
  fs::path prefix = dir / "pfx";
  fs::path inPrefix = dir / "pfx/drive_c/Games/Valdor3/valdor3.exe";
  fs::path onDriveD = dir / "data/Valdor3/valdor3.exe";
};

// Z: is the root in every prefix Wine makes.
std::string onDriveZ(const fs::path& file) {
  std::string windows = "Z:" + file.string();
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}

// ---- one path as a process shows it ----

TEST(RunningGame, UnixPathMatchesTheSameFileWhateverTheCaseOfItsName) {
  test::TempDir dir;
  const auto exe = dir.write("game/valdor3.exe", "");
  dir.write("other/valdor3.exe", "");
  EXPECT_TRUE(namesExecutable((dir / "game/valdor3.exe").string(), exe, std::nullopt));
  EXPECT_TRUE(namesExecutable((dir / "game/./VALDOR3.EXE").string(), exe, std::nullopt));
  EXPECT_FALSE(namesExecutable((dir / "other/valdor3.exe").string(), exe, std::nullopt));
  EXPECT_FALSE(namesExecutable((dir / "game/valdor3.exe.bak").string(), exe, std::nullopt));
  // A bare name says nothing about which installation it is.
  EXPECT_FALSE(namesExecutable("valdor3.exe", exe, std::nullopt));
}

TEST(RunningGame, WindowsPathsGoThroughThePrefixsDrives) {
  const WineGame game;
  EXPECT_TRUE(namesExecutable("C:\\Games\\Valdor3\\valdor3.exe", game.inPrefix, game.prefix));
  EXPECT_TRUE(namesExecutable("c:\\games\\VALDOR3\\Valdor3.exe", game.inPrefix, game.prefix));
  EXPECT_TRUE(namesExecutable("\\??\\C:\\Games\\Valdor3\\valdor3.exe", game.inPrefix, game.prefix));
  EXPECT_TRUE(namesExecutable("D:\\Valdor3\\valdor3.exe", game.onDriveD, game.prefix));
  EXPECT_TRUE(namesExecutable(onDriveZ(game.inPrefix), game.inPrefix, game.prefix));
  // The same folder names on another drive are another installation.
  EXPECT_FALSE(namesExecutable("C:\\Valdor3\\valdor3.exe", game.onDriveD, game.prefix));
  EXPECT_FALSE(namesExecutable("D:\\Games\\Valdor3\\valdor3.exe", game.inPrefix, game.prefix));
}

TEST(RunningGame, UnresolvedDriveMatchesOnTheEndOfTheGameFolder) {
  test::TempDir dir;
  const auto exe = dir.write("mnt/games/Valdor 3/valdor3.exe", "");
  EXPECT_TRUE(namesExecutable("E:\\Games\\Valdor 3\\valdor3.exe", exe, std::nullopt));
  EXPECT_TRUE(namesExecutable("E:\\valdor 3\\valdor3.exe", exe, std::nullopt));
  EXPECT_FALSE(namesExecutable("E:\\Games\\Valdor 3 Demo\\valdor3.exe", exe, std::nullopt));
  EXPECT_FALSE(namesExecutable("E:\\Other\\Games\\Valdor 3\\Valdor 3\\valdor3.exe", exe, std::nullopt));
}

// ---- whole processes ----

TEST(RunningGame, ALoaderNamesTheGameInALaterArgumentOtherProgramsDoNot) {
  const WineGame game;
  const auto isGame = [&](std::vector<std::string> commandLine) {
    return isGameProcess({"/usr/bin/something", std::move(commandLine)}, game.inPrefix, game.prefix);
  };
  EXPECT_TRUE(isGame({"C:\\Games\\Valdor3\\valdor3.exe", "-windowed"}));
  EXPECT_TRUE(isGame({"/usr/lib/wine/wine64-preloader", "/usr/bin/wine64", "C:\\Games\\Valdor3\\valdor3.exe"}));
  EXPECT_TRUE(isGame({"/usr/bin/python3", "/steam/proton", "waitforexitandrun", game.inPrefix.string()}));
  EXPECT_FALSE(isGame({"/usr/bin/vim", game.inPrefix.string()}));
  EXPECT_FALSE(isGame({}));
}

// ---- real processes ----

TEST(RunningGame, ProcessStartedFromTheExecutableIsSeenUntilItEnds) {
  test::TempDir dir;
  const auto exe = dir / "game/valdor3.exe";
  test::copyWaitingProgram(exe);
  const auto processes = systemProcesses();
  EXPECT_FALSE(gameIsRunning(*processes, exe));

  // Started by a plain name, as a launcher might: the image file tells.
  test::RunningProcess game(exe, {"valdor3", "30"});
  ASSERT_TRUE(game.started());
  EXPECT_TRUE(gameIsRunning(*processes, exe));
  EXPECT_FALSE(gameIsRunning(*processes, dir / "copy/valdor3.exe"));
  game.stop();
  EXPECT_FALSE(gameIsRunning(*processes, exe));
}

TEST(RunningGame, ProcessShowingAWindowsPathAsWineDoesIsSeen) {
  const WineGame game;
  const auto processes = systemProcesses();
  {
    test::RunningProcess wine("/bin/sleep", {"C:\\Games\\Valdor3\\valdor3.exe", "30"});
    ASSERT_TRUE(wine.started());
    EXPECT_TRUE(gameIsRunning(*processes, game.inPrefix));
    EXPECT_FALSE(gameIsRunning(*processes, game.onDriveD));
  }
  test::RunningProcess proton("/bin/sleep", {onDriveZ(game.onDriveD), "30"});
  ASSERT_TRUE(proton.started());
  EXPECT_TRUE(gameIsRunning(*processes, game.onDriveD));
  EXPECT_FALSE(gameIsRunning(*processes, game.inPrefix));
}

#else

TEST(RunningGame, ThisProcessIsFoundByItsImageFile) {
  std::wstring own(32768, L'\0');
  own.resize(GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size())));
  ASSERT_FALSE(own.empty());
  const auto processes = systemProcesses();
  EXPECT_TRUE(gameIsRunning(*processes, fs::path(own)));
  EXPECT_FALSE(gameIsRunning(*processes, fs::path(own).parent_path() / "valdor3.exe"));
}

#endif

}  // namespace
}  // namespace valdor::app
