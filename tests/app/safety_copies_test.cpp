#include "app/safety_copies.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/commit.h"
#include "config/profile.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::app {
namespace {

namespace fs = std::filesystem;

// Both files as a player's game holds them, and the way the windows save them.
class SafetyCopiesTest : public ::testing::Test {
 protected:
  SafetyCopiesTest() {
    m_dir.write("game/Ini/ve3.ini", "[Engine.Setup]\r\nCache.SizeImage=1\r\n");
    m_dir.write("documents/valdor3/UserOptions.ini", "[Options.Custom]\r\nTextureQuality=1\r\n");
    m_paths.engineIni = m_dir / "game/Ini/ve3.ini";
    m_paths.debugIni = m_dir / "game/Ini/debug.ini";
    m_paths.userOptionsIni = m_dir / "documents/valdor3/UserOptions.ini";
  }
  ~SafetyCopiesTest() override { stopSafetyCopies(); }

  // A new run of the tool: its first write of each file gets a copy again.
  std::shared_ptr<SafetyCopies> run() { return keepSafetyCopies(m_dir / "state", m_dir / "game", m_paths); }

  // A save of both files, as the main window's save button makes it.
  config::Result saveBoth(std::string_view value) {
    config::ProfileEdit engine(m_paths.engineIni);
    config::ProfileEdit user(m_paths.userOptionsIni);
    engine.set("Engine.Setup", "Cache.SizeImage", value);
    user.set("Options.Custom", "TextureQuality", value);
    return config::saveTogether({&engine, &user});
  }

  struct Files {
    std::string engine;
    std::string user;
    bool operator==(const Files&) const = default;
  };
  Files files() const { return {test::readBytes(m_paths.engineIni), test::readBytes(m_paths.userOptionsIni)}; }

  test::TempDir m_dir;
  ConfigPaths m_paths;
};

// ---- copies ----

TEST_F(SafetyCopiesTest, ARunCopiesEachGameFileOnceBeforeItsFirstWriteAndNothingElse) {
  const Files before = files();
  auto copies = run();
  ASSERT_TRUE(saveBoth("2"));
  ASSERT_TRUE(saveBoth("3"));  // the same run: the copies already hold the files as they were
  ASSERT_TRUE(config::writeProfileString(m_dir / "state/settings.ini", "a", "b", "c"));  // not the game's

  const auto history = copies->history();
  ASSERT_EQ(history.size(), 1u);
  ASSERT_EQ(history[0].files.size(), 2u);  // one entry holds both files of the save
  EXPECT_EQ(test::readBytes(history[0].files[0].copy), before.engine);
  EXPECT_EQ(test::readBytes(history[0].files[1].copy), before.user);
  EXPECT_FALSE(history[0].backup.empty());
  EXPECT_EQ(history[0].files[0].copy.parent_path().parent_path(), safetyCopyFolder(m_dir / "state", m_dir / "game"));
}

TEST_F(SafetyCopiesTest, EachInstallationHasAFolderOfItsOwn) {
  const fs::path one = safetyCopyFolder(m_dir / "state", "/games/Valdor 3");
  EXPECT_EQ(one.parent_path(), m_dir / "state" / "safety-copies");
  EXPECT_TRUE(one.filename().string().starts_with("Valdor_3-")) << one;
  EXPECT_EQ(safetyCopyFolder(m_dir / "state", "/games/Valdor 3/"), one);
  EXPECT_NE(safetyCopyFolder(m_dir / "state", "/other/Valdor 3"), one);
}

TEST_F(SafetyCopiesTest, OnlyTheNewestTenAreKept) {
  for (int i = 0; i < 12; ++i) {
    run();
    ASSERT_TRUE(saveBoth(std::to_string(i + 10)));
  }
  const auto history = run()->history();
  ASSERT_EQ(history.size(), kSafetyCopiesKept);
  EXPECT_EQ(history.front().number, 12u);
  EXPECT_EQ(history.back().number, 3u);
  std::size_t items = 0;
  for (const auto& item : fs::directory_iterator(safetyCopyFolder(m_dir / "state", m_dir / "game"))) {
    (void)item;
    ++items;
  }
  EXPECT_EQ(items, 2 * kSafetyCopiesKept);  // each entry's folder and its backup, nothing of the older ones
}

TEST_F(SafetyCopiesTest, CopiesArePrivateAndAPlantedLinkStopsTheSaveInsteadOfBeingFollowed) {
  VALDOR_SKIP_ON_WINDOWS("file modes and symbolic links");
  auto copies = run();
  ASSERT_TRUE(saveBoth("2"));
  const auto entry = copies->history().at(0);
  EXPECT_EQ(fs::status(copies->folder()).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(entry.files[0].copy).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(entry.backup).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  fs::remove_all(copies->folder());
  fs::create_directories(m_dir / "elsewhere");
  fs::permissions(m_dir / "elsewhere", fs::perms::owner_all);
  fs::create_directory_symlink(m_dir / "elsewhere", copies->folder());
  const Files before = files();
  run();
  const config::Result refused = saveBoth("3");
  EXPECT_EQ(refused.failure, config::Failure::NotPrivate);
  EXPECT_EQ(refused.where, config::pathText(copies->folder()));
  EXPECT_EQ(files(), before);
  EXPECT_TRUE(fs::is_empty(m_dir / "elsewhere"));
  // Refused again: a failed copy does not count as made.
  EXPECT_EQ(saveBoth("3").failure, config::Failure::NotPrivate);
}

// ---- undo ----

TEST_F(SafetyCopiesTest, UndoAfterTwoSavesPutsBothFilesBackAsTheyWereBeforeTheSecond) {
  run();
  ASSERT_TRUE(saveBoth("2"));
  const Files afterFirst = files();
  run();
  ASSERT_TRUE(saveBoth("3"));
  const Files afterSecond = files();

  auto copies = run();
  const UndoOutcome outcome = copies->undo();
  ASSERT_TRUE(outcome.result) << outcome.result.detail;
  ASSERT_TRUE(outcome.undone);
  EXPECT_EQ(outcome.undone->number, 2u);
  EXPECT_EQ(files(), afterFirst);

  // The undo kept what it replaced, so it can be loaded back.
  const auto history = copies->history();
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history[0].undoes, 2u);
  ASSERT_EQ(history[0].files.size(), 2u);
  EXPECT_EQ(test::readBytes(history[0].files[0].copy), afterSecond.engine);
  EXPECT_EQ(test::readBytes(history[0].files[1].copy), afterSecond.user);
}

TEST_F(SafetyCopiesTest, RepeatedUndoGoesFurtherBackAndASaveAfterAnUndoIsTakenBackFirst) {
  const Files original = files();
  run();
  ASSERT_TRUE(saveBoth("2"));
  const Files afterFirst = files();
  run();
  ASSERT_TRUE(saveBoth("3"));

  ASSERT_TRUE(run()->undo().result);
  EXPECT_EQ(files(), afterFirst);
  run();
  ASSERT_TRUE(saveBoth("4"));  // a new save on top of the undone state
  ASSERT_TRUE(run()->undo().result);
  EXPECT_EQ(files(), afterFirst);
  ASSERT_TRUE(run()->undo().result);
  EXPECT_EQ(files(), original);

  const UndoOutcome none = run()->undo();
  EXPECT_FALSE(none.undone);
  EXPECT_FALSE(none.result);
  EXPECT_EQ(files(), original);
}

TEST_F(SafetyCopiesTest, AFailedUndoLeavesBothFilesAndTheHistoryAsTheyWere) {
  run();
  ASSERT_TRUE(saveBoth("2"));
  run();
  ASSERT_TRUE(saveBoth("3"));
  const Files afterSecond = files();
  // Read-only by its bits: refused for every user, root too.
  fs::permissions(m_paths.userOptionsIni, fs::perms::owner_read);

  auto copies = run();
  const auto historyBefore = copies->history();
  const UndoOutcome failed = copies->undo();
  EXPECT_EQ(failed.result.failure, config::Failure::ReadOnly);
  EXPECT_EQ(files(), afterSecond);
  EXPECT_EQ(copies->history().size(), historyBefore.size());

  fs::permissions(m_paths.userOptionsIni, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(copies->undo().result);  // nothing was lost: the same save is undone now
  EXPECT_NE(files(), afterSecond);
}

TEST_F(SafetyCopiesTest, AFolderNameWithLineBreaksAndTabsIsPutBackToTheSameFile) {
  VALDOR_SKIP_ON_WINDOWS("such names exist only on Unix");
  const std::string odd = "odd\nfile=x\t%41 game";
  m_dir.write(odd + "/Ini/ve3.ini", "[Engine.Setup]\r\nCache.SizeImage=1\r\n");
  m_paths.engineIni = m_dir / (odd + "/Ini/ve3.ini");
  m_paths.debugIni = m_dir / (odd + "/Ini/debug.ini");
  const Files before = files();
  keepSafetyCopies(m_dir / "state", m_dir / odd, m_paths);
  ASSERT_TRUE(saveBoth("2"));
  auto copies = keepSafetyCopies(m_dir / "state", m_dir / odd, m_paths);
  ASSERT_TRUE(copies->undo().result);
  EXPECT_EQ(files(), before);
}

TEST_F(SafetyCopiesTest, ACopyCutShortIsNeverPutBack) {
  auto copies = run();
  ASSERT_TRUE(saveBoth("2"));
  const auto entry = copies->history().at(0);
  // A crash before the record was complete leaves it without its last line.
  const fs::path record = entry.files[0].copy.parent_path() / "copies.txt";
  std::string text = test::readBytes(record);
  test::writeBytes(record, text.substr(0, text.size() - 1));
  EXPECT_TRUE(copies->history().empty());
  EXPECT_FALSE(copies->undo().undone);
}

}  // namespace
}  // namespace valdor::app
