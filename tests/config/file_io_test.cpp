#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "config/file_io.h"
#include "config/profile.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using valdor::config::Failure;
using valdor::config::replaceFile;
using valdor::config::replaceTogether;
using valdor::config::StagedFile;

namespace {

std::size_t filesIn(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(FileIo, ReplacingKeepsPermissionsAndLeavesNoTemporaryFile) {
  valdor::test::TempDir dir;
  auto file = dir.write("ve3.ini", "old");
  ::chmod(file.c_str(), 0640);
  ASSERT_TRUE(replaceFile(file, "new").ok());
  EXPECT_EQ(dir.read("ve3.ini"), "new");
  struct stat info {};
  ::stat(file.c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(FileIo, SymbolicLinkKeepsPointingAtTheUpdatedFile) {
  valdor::test::TempDir dir;
  auto real = dir.write("real/ve3.ini", "[S]\r\nk=1\r\n");
  fs::create_directory(dir / "game");
  fs::create_symlink("../real/ve3.ini", dir / "game" / "ve3.ini");
  ASSERT_TRUE(valdor::config::writeProfileString(dir / "game" / "ve3.ini", "S", "k", "2").ok());
  EXPECT_TRUE(fs::is_symlink(dir / "game" / "ve3.ini"));
  EXPECT_EQ(valdor::test::readBytes(real), "[S]\r\nk=2\r\n");
  EXPECT_EQ(filesIn(dir / "game"), 1u);
}

TEST(FileIo, StagedFileThatIsNeverCommittedChangesNothing) {
  valdor::test::TempDir dir;
  dir.write("a.ini", "a");
  {
    auto staged = StagedFile::prepare(dir / "a.ini", "staged");
    ASSERT_TRUE(staged.ok());
    EXPECT_EQ(filesIn(dir.path()), 2u);
  }
  EXPECT_EQ(dir.read("a.ini"), "a");
  EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(FileIo, FailuresSayWhyAndNameTheFile) {
  valdor::test::TempDir dir;
  const auto missing = valdor::config::readFile(dir / "none.ini");
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.result().failure, Failure::NotFound);
  EXPECT_EQ(missing.result().operation, valdor::config::Operation::Read);
  EXPECT_EQ(missing.result().where, valdor::config::pathText(dir / "none.ini"));

  EXPECT_EQ(replaceFile(dir / "no" / "x.ini", "x").failure, Failure::FolderMissing);
  fs::create_directory(dir / "folder.ini");
  EXPECT_EQ(replaceFile(dir / "folder.ini", "x").failure, Failure::Other);
}

TEST(FileIo, ReplacingTogetherWritesEveryFileOrNone) {
  valdor::test::TempDir dir;
  const auto first = dir.write("Ini/ve3.ini", "engine");
  const auto second = dir.write("documents/UserOptions.ini", "user");
  ::chmod(second.c_str(), 0444);  // the second file is read-only: the first must stay as it was
  const std::array<valdor::config::Replacement, 2> files{{{first, "new engine"}, {second, "new user"}}};
  const auto refused = replaceTogether(files);
  EXPECT_EQ(refused.failure, Failure::ReadOnly);
  EXPECT_EQ(refused.where, valdor::config::pathText(second));
  EXPECT_EQ(dir.read("Ini/ve3.ini"), "engine");
  EXPECT_EQ(dir.read("documents/UserOptions.ini"), "user");
  EXPECT_EQ(filesIn(dir / "Ini"), 1u);  // the first file's staged copy is gone too

  ::chmod(second.c_str(), 0644);
  const auto written = replaceTogether(files);
  ASSERT_TRUE(written.ok());
  EXPECT_EQ(written.where, valdor::config::pathText(first));
  EXPECT_EQ(dir.read("Ini/ve3.ini"), "new engine");
  EXPECT_EQ(dir.read("documents/UserOptions.ini"), "new user");
}

// A child process writes the file again and again and is killed at random
// moments; whatever instant the kill hits, the file must hold one complete
// version, never a torn or empty one.
TEST(FileIo, KilledWriterNeverLeavesATornFile) {
  valdor::test::TempDir dir;
  const fs::path file = dir / "ve3.ini";
  const std::string padding(20000, 'x');
  auto version = [&](int n) { return "[S]\r\npad=" + padding + "\r\ncounter=" + std::to_string(n) + "\r\n"; };
  valdor::test::writeBytes(file, version(0));

  std::mt19937 random(12345);
  std::set<std::string> seen;
  for (int round = 0; round < 20; ++round) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 1;; ++n) {
        if (!replaceFile(file, version(n)).ok()) ::_exit(3);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500 + random() % 20000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: a write failed";

    const std::string content = valdor::test::readBytes(file);
    const std::string counter = valdor::config::readProfileString(content, "S", "counter", "", 256);
    ASSERT_FALSE(counter.empty()) << "torn file after round " << round;
    EXPECT_EQ(content, version(std::stoi(counter)));
    seen.insert(counter);
  }
  EXPECT_GT(seen.size(), 1u) << "the writer never got to write";
}
