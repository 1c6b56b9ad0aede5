#include "config/commit.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <array>
#include <chrono>
#include <cstdlib>

#include "config/profile.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::config {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

#ifndef _WIN32
std::size_t g_dieAfter = 0;

// Ends the process the way SIGKILL would: no destructor runs, so the staged
// files and the commit record stay where they are.
void dieAtConfiguredRename(std::size_t renamed) {
  if (renamed == g_dieAfter) ::_exit(0);
}
#endif

// A game with two files saved together, and the tool's journal folder.
class CommitTest : public ::testing::Test {
 protected:
  CommitTest() {
    m_engine = m_dir.write("game/Ini/ve3.ini", "engine old");
    m_user = m_dir.write("documents/valdor3/UserOptions.ini", "user old");
    setCommitSettings({m_dir / "state/commits", 300ms});
  }
  ~CommitTest() override {
    setCommitSettings({});
    testing::setAfterRenameHook(nullptr);
  }

  // Saves both files in a child that dies after `renames` renames.
  // With `relative` the child names the files relative to its working folder.
  void saveAndDieAfter(std::size_t renames, bool relative = false) {
#ifdef _WIN32
    (void)renames;
    (void)relative;
    FAIL() << "needs fork";
#else
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      g_dieAfter = renames;
      testing::setAfterRenameHook(dieAtConfiguredRename);
      if (relative && ::chdir(m_dir.path().c_str()) != 0) ::_exit(2);
      const std::array<Replacement, 2> files{{{relative ? fs::relative(m_engine, m_dir.path()) : m_engine, "engine new"},
                                              {relative ? fs::relative(m_user, m_dir.path()) : m_user, "user new"}}};
      replaceTogether(files);
      ::_exit(1);  // not reached: the hook ended the process
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#endif
  }

  std::vector<fs::path> filesIn(const fs::path& folder) const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path().filename());
    return files;
  }
  std::size_t journals() const { return filesIn(m_dir / "state/commits").size(); }

  test::TempDir m_dir;
  fs::path m_engine;
  fs::path m_user;
};

// ---- saves with a file rewritten in place ----

// A hard-linked file is rewritten in place and has no staged copy to record;
// the save still lands whole and leaves no record behind.
TEST_F(CommitTest, ASaveWithAHardLinkedFileLandsWithoutARecord) {
  fs::create_hard_link(m_engine, m_dir / "game/Ini/ve3-link.ini");
  const std::array<Replacement, 2> files{{{m_engine, "engine new"}, {m_user, "user new"}}};
  ASSERT_TRUE(replaceTogether(files).ok());
  EXPECT_EQ(test::readBytes(m_dir / "game/Ini/ve3-link.ini"), "engine new");
  EXPECT_EQ(test::readBytes(m_user), "user new");
  EXPECT_FALSE(fs::exists(m_dir / "state/commits") && journals() > 0);
}

// ---- a save killed between its renames ----

TEST_F(CommitTest, KilledBetweenTheRenamesTheNextStartFinishesTheSave) {
  VALDOR_SKIP_ON_WINDOWS("kills a save half-way in a forked child; Windows has no fork");
  saveAndDieAfter(1);
  EXPECT_EQ(test::readBytes(m_engine), "engine new");
  EXPECT_EQ(test::readBytes(m_user), "user old");  // the state a crash leaves
  EXPECT_EQ(journals(), 1u);

  const Recovery recovery = finishInterruptedCommits();
  EXPECT_EQ(recovery.finished, 1);
  EXPECT_EQ(test::readBytes(m_engine), "engine new");
  EXPECT_EQ(test::readBytes(m_user), "user new");
  EXPECT_EQ(journals(), 0u);
  EXPECT_EQ(filesIn(m_dir / "documents/valdor3"), std::vector<fs::path>{"UserOptions.ini"});
  EXPECT_EQ(filesIn(m_dir / "game/Ini"), std::vector<fs::path>{"ve3.ini"});
}

TEST_F(CommitTest, KilledBeforeTheFirstRenameWithEveryFileStagedTheSaveIsFinished) {
  VALDOR_SKIP_ON_WINDOWS("kills a save half-way in a forked child; Windows has no fork");
  saveAndDieAfter(0);
  EXPECT_EQ(test::readBytes(m_engine), "engine old");
  EXPECT_EQ(finishInterruptedCommits().finished, 1);
  EXPECT_EQ(test::readBytes(m_engine), "engine new");
  EXPECT_EQ(test::readBytes(m_user), "user new");
}

TEST_F(CommitTest, ASaveOfRelativePathsIsFinishedFromAnyWorkingFolder) {
  VALDOR_SKIP_ON_WINDOWS("kills a save half-way in a forked child; Windows has no fork");
  saveAndDieAfter(1, true);
  EXPECT_EQ(finishInterruptedCommits().finished, 1);
  EXPECT_EQ(test::readBytes(m_user), "user new");
}

TEST_F(CommitTest, ARecordWhoseStagedFileIsMissingIsDiscardedAndTheOriginalsStay) {
  VALDOR_SKIP_ON_WINDOWS("kills a save half-way in a forked child; Windows has no fork");
  saveAndDieAfter(0);
  for (const auto& name : filesIn(m_dir / "documents/valdor3")) {
    if (name != "UserOptions.ini") fs::remove(m_dir / "documents/valdor3" / name);
  }
  const Recovery recovery = finishInterruptedCommits();
  EXPECT_EQ(recovery.finished, 0);
  EXPECT_EQ(recovery.discarded, 1);
  EXPECT_EQ(test::readBytes(m_engine), "engine old");
  EXPECT_EQ(test::readBytes(m_user), "user old");
  EXPECT_EQ(journals(), 0u);
  EXPECT_EQ(filesIn(m_dir / "game/Ini"), std::vector<fs::path>{"ve3.ini"});  // its staged copy went too
}

TEST_F(CommitTest, TheNextWriterOfTheFolderFinishesTheSaveBeforeItReads) {
  VALDOR_SKIP_ON_WINDOWS("kills a save half-way in a forked child; Windows has no fork");
  saveAndDieAfter(1);
  // No start in between: a writer already running takes the lock next.
  ProfileEdit edit(m_user);
  edit.set("Options", "Key", "1");
  ASSERT_TRUE(edit.save().ok());
  EXPECT_EQ(test::readBytes(m_user), "user new\r\n[Options]\r\nKey=1\r\n");
  EXPECT_EQ(journals(), 0u);
}

TEST_F(CommitTest, ARunningWritersRecordIsLeftAlone) {
  VALDOR_SKIP_ON_WINDOWS("kills a save half-way in a forked child; Windows has no fork");
  // The parent holds the game's folder lock, as a live writer in the middle
  // of its renames would; the record of the dead child stays untouched until
  // the lock is free.
  saveAndDieAfter(1);
  {
    auto lock = lockFolders({m_engine.parent_path()}, m_engine);
    ASSERT_TRUE(lock.ok());
    EXPECT_EQ(finishInterruptedCommits().finished, 0);
    EXPECT_EQ(test::readBytes(m_user), "user old");
  }
  EXPECT_EQ(finishInterruptedCommits().finished, 1);
  EXPECT_EQ(test::readBytes(m_user), "user new");
}

// ---- the record a running copy keeps between its saves ----

// Each copy keeps one record file for all its saves of several files and
// holds it locked while it runs: another copy's start leaves it alone even
// while it is cleared between two saves, and it goes with its writer.
TEST_F(CommitTest, ACopysRecordIsLeftAloneWhileItRunsAndGoesWithIt) {
  VALDOR_SKIP_ON_WINDOWS("runs the other copies in forked children; Windows has no fork");
#ifndef _WIN32
  const std::array<Replacement, 2> files{{{m_engine, "engine new"}, {m_user, "user new"}}};
  ASSERT_TRUE(replaceTogether(files).ok());
  ASSERT_EQ(journals(), 1u);
  const fs::path kept = m_dir / "state/commits" / filesIn(m_dir / "state/commits").front();

  const auto inChild = [](auto body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  // Another copy starts and saves both files while this one runs.
  EXPECT_EQ(inChild([&] {
              const bool started = finishInterruptedCommits().finished == 0 && fs::exists(kept);
              const std::array<Replacement, 2> own{{{m_engine, "engine child"}, {m_user, "user child"}}};
              return started && replaceTogether(own).ok() ? 0 : 1;
            }),
            0);
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_EQ(test::readBytes(m_user), "user child");
  ASSERT_TRUE(replaceTogether(files).ok()) << "this copy's record still serves it";

  // A copy that ends removes its record; one killed leaves it to the next start.
  const std::size_t before = journals();
  EXPECT_EQ(inChild([&] {
              if (!replaceTogether(files).ok()) return 1;
              std::exit(0);
            }),
            0);
  EXPECT_EQ(journals(), before);
  EXPECT_EQ(inChild([&] { return replaceTogether(files).ok() ? 0 : 1; }), 0);
  EXPECT_EQ(journals(), before + 1);
  const Recovery recovery = finishInterruptedCommits();
  EXPECT_EQ(recovery.finished + recovery.discarded, 0);
  EXPECT_EQ(filesIn(m_dir / "state/commits"), std::vector<fs::path>{kept.filename()}) << "the killed copies' went";
#endif
}

// ---- leftovers of killed writers ----

TEST_F(CommitTest, TheNextWriterRemovesOnlyOurOwnLeftoversOfTheFilesItWrites) {
  test::writeBytes(m_dir / "game/Ini/.ve3.ini.Ab12Cd", "left by a killed run");
  test::writeBytes(m_dir / "game/Ini/.ve3.ini.keep", "not our pattern");
  test::writeBytes(m_dir / "game/Ini/.debug.ini.Ab12Cd", "another file's, not written now");
  ProfileEdit edit(m_engine);
  edit.set("Engine.Setup", "View", "1");
  ASSERT_TRUE(edit.save().ok());
  const auto left = filesIn(m_dir / "game/Ini");
  EXPECT_EQ(std::count(left.begin(), left.end(), ".ve3.ini.Ab12Cd"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), ".ve3.ini.keep"), 1);
  EXPECT_EQ(std::count(left.begin(), left.end(), ".debug.ini.Ab12Cd"), 1);
}

// ---- one writer at a time ----

TEST_F(CommitTest, ASecondWriterThatCannotGetTheLockFailsAndWritesNothing) {
  auto lock = WriteLock::acquire(std::array<fs::path, 1>{m_engine});
  ASSERT_TRUE(lock.ok());
  const auto started = std::chrono::steady_clock::now();
  const Result result = writeProfileString(m_engine, "Engine.Setup", "View", "1");
  EXPECT_EQ(result.failure, Failure::Busy);
  EXPECT_EQ(result.where, pathText(m_engine));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 300ms);  // it waited before giving up
  EXPECT_EQ(test::readBytes(m_engine), "engine old");

  const std::array<Replacement, 2> files{{{m_user, "user new"}, {m_engine, "engine new"}}};
  EXPECT_EQ(replaceTogether(files).failure, Failure::Busy);
  EXPECT_EQ(test::readBytes(m_user), "user old");  // the free file was not written alone
}

TEST_F(CommitTest, TwoProcessesSettingDifferentKeysOfOneFileLoseNeither) {
  VALDOR_SKIP_ON_WINDOWS("two writers in forked children; Windows has no fork");
#ifndef _WIN32
  setCommitSettings({m_dir / "state/commits", 10s});
  for (int round = 0; round < 50; ++round) {
    test::writeBytes(m_engine, "[Engine.Setup]\r\nView=0\r\n");
    std::array<pid_t, 2> children{};
    for (std::size_t i = 0; i < children.size(); ++i) {
      children[i] = ::fork();
      ASSERT_GE(children[i], 0);
      if (children[i] == 0) {
        const Result result = writeProfileString(m_engine, "Engine.Setup", i == 0 ? "First" : "Second", "1");
        ::_exit(result.ok() ? 0 : 1);
      }
    }
    for (pid_t child : children) {
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
    }
    const std::string content = test::readBytes(m_engine);
    ASSERT_NE(content.find("First=1"), std::string::npos) << "round " << round;
    ASSERT_NE(content.find("Second=1"), std::string::npos) << "round " << round;
  }
#endif
}

}  // namespace
}  // namespace valdor::config
