#include "cli/logo_backup_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/safety_copies.h"
#include "cli/run_command.h"
#include "main_window/backups.h"
#include "main_window/start_logos.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::cli {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using namespace std::string_literals;

// A scratch copy of the sample installation and the command line that edits it.
struct Installation {
  Installation() {
    dir.copySample("game");
    dir.copySample("documents");
    fs::create_directories(dir / "backups");
    engine = readBytes(engineIni());
    userOptions = readBytes(userOptionsIni());
  }
  Outcome run(std::vector<std::string> args, const std::string& language = "english") const {
    std::vector<std::string> line{"--game-dir", (dir / "game").string(), "--documents-dir",
                                  (dir / "documents").string(), "--state-dir", (dir / "state").string(),
                                  "--language", language};
    line.insert(line.end(), args.begin(), args.end());
    return cli::run(line);
  }
  fs::path engineIni() const { return dir / "game/Ini/ve3.ini"; }
  fs::path userOptionsIni() const { return dir / "documents/valdor3/UserOptions.ini"; }
  fs::path logoIni() const { return dir / "game/Ini/logo.ini"; }
  bool filesAsCopied() const { return readBytes(engineIni()) == engine && readBytes(userOptionsIni()) == userOptions; }

  test::TempDir dir;
  std::string engine;
  std::string userOptions;
};

// ---- logos ----

TEST(LogoCommands, RemoveAndRestoreWriteWhatTheButtonsWriteOrFailWithTheMessage) {
  const Installation game;
  EXPECT_EQ(game.run({"logos", "remove"}).exitCode, 0);
  EXPECT_EQ(readBytes(game.logoIni()), main_window::kFirstStartLogo);
  const Outcome restored = game.run({"logos", "restore"});
  EXPECT_EQ(restored.exitCode, 0);
  EXPECT_EQ(restored.out + restored.err, "");
  EXPECT_EQ(readBytes(game.logoIni()), main_window::kAllStartLogos);

  fs::permissions(game.logoIni(), fs::perms::owner_read);
  const Outcome refused = game.run({"logos", "remove"}, "deutsch");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "Speichern nicht m\xC3\xB6glich\n" + test::native(game.logoIni()) +
                             "\n\nDie Datei ist schreibgesch\xC3\xBCtzt.\n");
  EXPECT_EQ(readBytes(game.logoIni()), main_window::kAllStartLogos);

  EXPECT_EQ(game.run({"logos"}).exitCode, 2);
  EXPECT_EQ(game.run({"logos", "off"}).exitCode, 2);
}

// ---- backups ----

TEST(BackupCommands, CreateThenLoadRestoresBothFiles) {
  const Installation game;
  EXPECT_EQ(game.run({"backup", "create", (game.dir / "backups/mine").string()}).exitCode, 0);
  EXPECT_EQ(readBytes(game.dir / "backups/mine.vib"), *main_window::PackBackup(game.engine, game.userOptions));

  EXPECT_EQ(game.run({"main", "defaults"}).exitCode, 0);
  ASSERT_FALSE(game.filesAsCopied());
  const Outcome loaded = game.run({"backup", "load", (game.dir / "backups/mine.vib").string()});
  EXPECT_EQ(loaded.exitCode, 0) << loaded.err;
  EXPECT_TRUE(game.filesAsCopied());
}

TEST(BackupCommands, RefusalsExitWith1AndWriteNothing) {
  const Installation game;
  // 16 bytes promised, 8 there.
  test::writeBytes(game.dir / "backups/short.vib", "\x10\x00\x00\x00\x00\x00\x00\x00[Engine]"s);
  const Outcome damaged = game.run({"backup", "load", (game.dir / "backups/short.vib").string()});
  EXPECT_EQ(damaged.exitCode, 1);
  EXPECT_EQ(damaged.err, "Invalid file!\n");
  EXPECT_TRUE(game.filesAsCopied());

  fs::remove(game.userOptionsIni());
  const Outcome missing = game.run({"backup", "create", (game.dir / "backups/new").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "Could not read\n" + test::native(game.userOptionsIni()) + "\n\nThe file does not exist.\n");
  EXPECT_FALSE(fs::exists(game.dir / "backups/new.vib"));

  EXPECT_EQ(game.run({"backup", "create"}).exitCode, 2);
  EXPECT_EQ(game.run({"backup", "restore", "x.vib"}).exitCode, 2);
  EXPECT_EQ(game.run({"backup", "create", "--force"}).exitCode, 2);
  EXPECT_EQ(game.run({"backup", "create", "x.vib", "--force"}).exitCode, 2);
  EXPECT_EQ(game.run({"backup", "load", "--force", "x.vib"}).exitCode, 2);
}

TEST(BackupCommands, CreateNeverWritesOverAnEditedFileEvenWithForce) {
  Installation game;
  const fs::path debugIni = game.dir.write("game/Ini/debug.ini", "[Debug]\r\n");
  const fs::path logoIni = game.dir.write("game/Ini/logo.ini", main_window::kFirstStartLogo);
  for (const fs::path& edited : {game.engineIni(), debugIni, game.userOptionsIni(), logoIni}) {
    const std::string bytes = readBytes(edited);
    std::vector<fs::path> targets{edited};
#ifndef _WIN32
    fs::create_symlink(edited, game.dir / "backups/soft.vib");
    fs::create_hard_link(edited, game.dir / "backups/hard.vib");
    targets.push_back(game.dir / "backups/soft.vib");
    targets.push_back(game.dir / "backups/hard.vib");
#endif
    for (const fs::path& target : targets) {
      for (const bool force : {false, true}) {
        std::vector<std::string> args{"backup", "create"};
        if (force) args.push_back("--force");
        args.push_back(target.string());
        const Outcome refused = game.run(args, "deutsch");
        EXPECT_EQ(refused.exitCode, 1) << target;
        EXPECT_EQ(refused.err, "Speichern nicht m\xC3\xB6glich\n" + target.string() +
                                   "\n\nDies ist eine der Dateien, die dieses Programm bearbeitet. Eine Sicherung "
                                   "dort w\xC3\xBCrde sie \xC3\xBC" "berschreiben; bitte eine andere Datei w\xC3\xA4hlen.\n");
        EXPECT_EQ(readBytes(edited), bytes) << target;
      }
    }
    fs::remove(game.dir / "backups/soft.vib");
    fs::remove(game.dir / "backups/hard.vib");
  }
}

TEST(BackupCommands, AnExistingBackupIsReplacedOnlyWithForce) {
  const Installation game;
  const fs::path old = game.dir / "backups/old.vib";
  test::writeBytes(old, "an older backup");
  const Outcome kept = game.run({"backup", "create", (game.dir / "backups/old").string()});
  EXPECT_EQ(kept.exitCode, 1);
  EXPECT_EQ(kept.err, "Could not save\n" + old.string() +
                          "\n\nThe file already exists. Choose another name, or replace it with --force.\n");
  EXPECT_EQ(readBytes(old), "an older backup");

  const Outcome forced = game.run({"backup", "create", "--force", (game.dir / "backups/old").string()});
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(readBytes(old), *main_window::PackBackup(game.engine, game.userOptions));
}

// ---- safety copies ----

TEST(BackupCommands, UndoPutsBackTheLastSaveAndItsCopyLoadsAsABackup) {
  const Installation game;
  ASSERT_EQ(game.run({"main", "defaults"}).exitCode, 0);
  const std::string user = fs::weakly_canonical(game.userOptionsIni()).string();
  const std::string engine = fs::weakly_canonical(game.engineIni()).string();

  const Outcome history = game.run({"backup", "history"});
  EXPECT_EQ(history.exitCode, 0);
  EXPECT_TRUE(history.out.starts_with("#1  ")) << history.out;
  EXPECT_NE(history.out.find("\n  " + user + "\n  " + engine + "\n  backup: "), std::string::npos) << history.out;

  const Outcome undone = game.run({"backup", "undo"});
  EXPECT_EQ(undone.exitCode, 0) << undone.err;
  EXPECT_TRUE(undone.out.starts_with("Put back as before the save of ")) << undone.out;
  EXPECT_TRUE(undone.out.ends_with(":\n" + user + "\n" + engine + "\n")) << undone.out;
  EXPECT_TRUE(game.filesAsCopied());

  const Outcome nothingLeft = game.run({"backup", "undo"});
  EXPECT_EQ(nothingLeft.exitCode, 1);
  EXPECT_EQ(nothingLeft.err, "There is no safety copy left to put back.\n");
  EXPECT_TRUE(game.filesAsCopied());

  // The copy kept before a save is a backup the editor and `backup load` take.
  ASSERT_EQ(game.run({"main", "defaults"}).exitCode, 0);
  const auto copies = app::SafetyCopies(app::safetyCopyFolder(game.dir / "state", game.dir / "game"), {}).history();
  ASSERT_FALSE(copies.empty());
  ASSERT_FALSE(copies.front().backup.empty());
  const Outcome loaded = game.run({"backup", "load", copies.front().backup.string()});
  EXPECT_EQ(loaded.exitCode, 0) << loaded.err;
  EXPECT_TRUE(game.filesAsCopied());
}

}  // namespace
}  // namespace valdor::cli
