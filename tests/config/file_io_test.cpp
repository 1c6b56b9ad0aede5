#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <array>
#include <chrono>
#include <random>
#include <thread>

#include "config/file_io.h"
#include "config/profile.h"
#include "support/environment.h"
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

#ifndef _WIN32
struct stat statOf(const fs::path& file) {
  struct stat info {};
  ::stat(file.c_str(), &info);
  return info;
}

// The unprivileged account that other owners and unwritable folders are made
// with; nullptr where the tests do not run as root.
const passwd* nobodyForRoot() {
  return ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
}

// Runs `body` in a child process as `user` and gives its exit code.
template <typename Body>
int runAs(const passwd& user, Body body) {
  pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(user.pw_gid) != 0 || ::setuid(user.pw_uid) != 0) ::_exit(90);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}
#endif

}  // namespace

TEST(FileIo, ReplacingKeepsPermissionsAndLeavesNoTemporaryFile) {
  VALDOR_SKIP_ON_WINDOWS("checks Unix file modes");
#ifndef _WIN32
  valdor::test::TempDir dir;
  auto file = dir.write("ve3.ini", "old");
  ::chmod(file.c_str(), 0640);
  ASSERT_TRUE(replaceFile(file, "new").ok());
  EXPECT_EQ(dir.read("ve3.ini"), "new");
  struct stat info {};
  ::stat(file.c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(filesIn(dir.path()), 1u);
#endif
}

TEST(FileIo, SymbolicLinkKeepsPointingAtTheUpdatedFile) {
  VALDOR_SKIP_ON_WINDOWS("creates symbolic links, which need extra rights on Windows");
#ifndef _WIN32
  valdor::test::TempDir dir;
  auto real = dir.write("real/ve3.ini", "[S]\r\nk=1\r\n");
  fs::create_directory(dir / "game");
  fs::create_symlink("../real/ve3.ini", dir / "game" / "ve3.ini");
  ASSERT_TRUE(valdor::config::writeProfileString(dir / "game" / "ve3.ini", "S", "k", "2").ok());
  EXPECT_TRUE(fs::is_symlink(dir / "game" / "ve3.ini"));
  EXPECT_EQ(valdor::test::readBytes(real), "[S]\r\nk=2\r\n");
  EXPECT_EQ(filesIn(dir / "game"), 1u);
#endif
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
  EXPECT_EQ(replaceFile(dir / "folder.ini", "x").failure, Failure::NotARegularFile);
}

TEST(FileIo, ReplacingTogetherWritesEveryFileOrNone) {
  valdor::test::TempDir dir;
  const auto first = dir.write("Ini/ve3.ini", "engine");
  const auto second = dir.write("documents/UserOptions.ini", "user");
  // The second file is read-only: the first must stay as it was.
  fs::permissions(second, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::array<valdor::config::Replacement, 2> files{{{first, "new engine"}, {second, "new user"}}};
  const auto refused = replaceTogether(files);
  EXPECT_EQ(refused.failure, Failure::ReadOnly);
  EXPECT_EQ(refused.where, valdor::config::pathText(second));
  EXPECT_EQ(dir.read("Ini/ve3.ini"), "engine");
  EXPECT_EQ(dir.read("documents/UserOptions.ini"), "user");
  EXPECT_EQ(filesIn(dir / "Ini"), 1u);  // the first file's staged copy is gone too

  fs::permissions(second, fs::perms::owner_write, fs::perm_options::add);
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
  VALDOR_SKIP_ON_WINDOWS("kills a writer at random moments in a forked child; Windows has no fork");
#ifndef _WIN32
  valdor::test::TempDir dir;
  const fs::path file = dir / "ve3.ini";
  const std::string padding(20000, 'x');
  auto version = [&](int n) { return "[S]\r\npad=" + padding + "\r\ncounter=" + std::to_string(n) + "\r\n"; };
  valdor::test::writeBytes(file, version(0));

  std::mt19937 random(12345);
  for (int round = 0; round < 20; ++round) {
    // The writer says when its first write has landed, so that a slow,
    // loaded machine still kills it in the middle of later writes.
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(started[0]);
      for (int n = 1;; ++n) {
        if (!replaceFile(file, version(n)).ok()) ::_exit(3);
        if (n == 1 && (::write(started[1], "1", 1) != 1 || ::close(started[1]) != 0)) ::_exit(4);
      }
    }
    ::close(started[1]);
    char byte = 0;
    ASSERT_EQ(::read(started[0], &byte, 1), 1) << "the writer never got to write";
    ::close(started[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: a write failed";

    const std::string content = valdor::test::readBytes(file);
    const std::string counter = valdor::config::readProfileString(content, "S", "counter", "", 256);
    ASSERT_FALSE(counter.empty()) << "torn file after round " << round;
    EXPECT_EQ(content, version(std::stoi(counter)));
    EXPECT_NE(counter, "0") << "a write the writer finished is not in the file";
  }
#endif
}

// ---- rewriting in place ----

TEST(FileIo, HardLinkedFileIsRewrittenSoEveryNameSeesTheNewContent) {
  VALDOR_SKIP_ON_WINDOWS("compares Unix inode numbers and link counts");
#ifndef _WIN32
  valdor::test::TempDir dir;
  auto file = dir.write("ve3.ini", "[S]\r\nk=a long old value\r\n");
  fs::create_hard_link(file, dir / "shared.ini");
  const ino_t inode = statOf(file).st_ino;

  ASSERT_TRUE(valdor::config::writeProfileString(file, "S", "k", "1").ok());
  EXPECT_EQ(dir.read("shared.ini"), "[S]\r\nk=1\r\n") << "the file is cut to its new length";
  EXPECT_EQ(statOf(file).st_ino, inode);
  EXPECT_EQ(statOf(file).st_nlink, 2u);
  EXPECT_EQ(filesIn(dir.path()), 2u);
#endif
}

TEST(FileIo, InPlaceRewriteNeverCommittedChangesNothing) {
  valdor::test::TempDir dir;
  auto file = dir.write("a.ini", "a");
  fs::create_hard_link(file, dir / "b.ini");
  {
    auto staged = StagedFile::prepare(file, "staged and longer");
    ASSERT_TRUE(staged.ok());
    EXPECT_TRUE(staged->inPlace());
  }
  EXPECT_EQ(dir.read("a.ini"), "a");
  EXPECT_EQ(filesIn(dir.path()), 2u);
}

TEST(FileIo, FileOfAnotherOwnerKeepsItsOwner) {
  VALDOR_SKIP_ON_WINDOWS("hands files to another Unix user as root");
#ifndef _WIN32
  const passwd* nobody = nobodyForRoot();
  if (!nobody) GTEST_SKIP() << "needs root to hand a file to another user";
  valdor::test::TempDir dir;
  auto file = dir.write("ve3.ini", "[S]\r\nk=1\r\n");
  ASSERT_EQ(::chown(file.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ::chmod(file.c_str(), 0640);

  ASSERT_TRUE(valdor::config::writeProfileString(file, "S", "k", "22").ok());
  EXPECT_EQ(dir.read("ve3.ini"), "[S]\r\nk=22\r\n");
  EXPECT_EQ(statOf(file).st_uid, nobody->pw_uid);
  EXPECT_EQ(statOf(file).st_gid, nobody->pw_gid);
  EXPECT_EQ(statOf(file).st_mode & 07777, 0640u);
#endif
}

// A game folder shared between accounts: the folder belongs to root and takes
// no new files, the files in it are writable for everyone.
TEST(FileIo, WritableFileInAFolderThatTakesNoNewFilesIsSavedInPlace) {
  VALDOR_SKIP_ON_WINDOWS("hands files to another Unix user as root");
#ifndef _WIN32
  const passwd* nobody = nobodyForRoot();
  if (!nobody) GTEST_SKIP() << "needs root to make a folder another user cannot write to";
  valdor::test::TempDir dir;
  ::chmod(dir.path().c_str(), 0755);
  auto shared = dir.write("game/ve3.ini", "[S]\r\nk=1\r\n");
  auto own = dir.write("game/debug.ini", "[S]\r\nk=1\r\n");
  auto readOnly = dir.write("game/UserOptions.ini", "[S]\r\nk=1\r\n");
  ::chmod(shared.c_str(), 0666);
  ASSERT_EQ(::chown(own.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ::chmod(readOnly.c_str(), 0444);
  ASSERT_EQ(::chown(readOnly.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ::chmod((dir / "game").c_str(), 0555);

  const int exitCode = runAs(*nobody, [&] {
    using valdor::config::writeProfileString;
    if (!writeProfileString(shared, "S", "k", "2").ok()) return 1;
    if (!writeProfileString(own, "S", "k", "3").ok()) return 2;
    if (writeProfileString(readOnly, "S", "k", "4").failure != Failure::ReadOnly) return 3;
    if (writeProfileString(dir / "game" / "new.ini", "S", "k", "5").failure != Failure::AccessDenied) return 4;
    return 0;
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(valdor::test::readBytes(shared), "[S]\r\nk=2\r\n");
  EXPECT_EQ(valdor::test::readBytes(own), "[S]\r\nk=3\r\n");
  EXPECT_EQ(valdor::test::readBytes(readOnly), "[S]\r\nk=1\r\n");
  EXPECT_EQ(statOf(shared).st_uid, 0u);
  EXPECT_EQ(filesIn(dir / "game"), 3u);
#endif
}

// ---- reading only regular files of sane size ----
namespace {

valdor::config::Result readFailure(const fs::path& path) { return valdor::config::readFile(path).result(); }

// Runs check as the unprivileged user "nobody" in a child process (root reads
// every file, whatever its mode); false when that is not possible here.
#ifndef _WIN32
template <typename Check>
bool asNobody(Check check, bool& passed) {
  if (::geteuid() != 0) return false;
  pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 2) return false;
  passed = WEXITSTATUS(status) == 0;
  return true;
}
#endif

}  // namespace

TEST(FileIo, PipeIsRefusedWithoutWaitingForAWriter) {
  VALDOR_SKIP_ON_WINDOWS("creates a named pipe, which Windows has no place for among files");
#ifndef _WIN32
  valdor::test::TempDir dir;
  const fs::path fifo = dir / "ve3.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto result = readFailure(fifo);
  EXPECT_EQ(result.failure, Failure::NotARegularFile);
  EXPECT_EQ(result.operation, valdor::config::Operation::Read);
  EXPECT_EQ(result.where, fifo.string());
#endif
}

TEST(FileIo, DevicesAndFoldersAreRefusedEvenBehindALink) {
  VALDOR_SKIP_ON_WINDOWS("reads Unix devices through a symbolic link");
#ifndef _WIN32
  valdor::test::TempDir dir;
  fs::create_symlink("/dev/zero", dir / "zero.ini");
  fs::create_directory(dir / "folder.ini");
  EXPECT_EQ(readFailure(dir / "zero.ini").failure, Failure::NotARegularFile);
  EXPECT_EQ(readFailure("/dev/null").failure, Failure::NotARegularFile);
  EXPECT_EQ(readFailure(dir / "folder.ini").failure, Failure::NotARegularFile);
#endif
}

TEST(FileIo, FileLargerThanTheLimitIsRefusedUnread) {
  valdor::test::TempDir dir;
  const fs::path big = dir.write("ve3.ini", "");
  fs::resize_file(big, 65u * 1024 * 1024);  // sparse: no disk space is used
  EXPECT_EQ(readFailure(big).failure, Failure::TooLarge);

  const fs::path small = dir.write("small.ini", "12345");
  EXPECT_EQ(valdor::config::readFile(small, 4).result().failure, Failure::TooLarge);
  EXPECT_EQ(*valdor::config::readFile(small, 5), "12345");
}

TEST(FileIo, FileWithoutReadPermissionIsUnreadableNotReadOnly) {
  VALDOR_SKIP_ON_WINDOWS("takes the read right from a file with Unix modes, as another user");
#ifndef _WIN32
  valdor::test::TempDir dir;
  const fs::path file = dir.write("ve3.ini", "[S]\r\nk=1\r\n");
  ::chmod(dir.path().c_str(), 0777);
  // Writable but not readable by its owner: saving would build the file anew from nothing.
  if (::geteuid() == 0 && ::chown(file.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "cannot hand a file to nobody";
  ::chmod(file.c_str(), 0200);
  bool passed = false;
  const bool ran = asNobody(
      [&] {
        const auto read = readFailure(file);
        // Saving must not replace a file it could not read: its contents would be lost.
        const auto saved = valdor::config::writeProfileString(file, "S", "k", "2");
        const auto staged = StagedFile::prepare(file, "new");
        return read.failure == Failure::Unreadable && saved.failure == Failure::Unreadable &&
               staged.result().failure == Failure::Unreadable;
      },
      passed);
  if (!ran) GTEST_SKIP() << "needs root to run a check as another user";
  EXPECT_TRUE(passed);
  ::chmod(file.c_str(), 0600);
  EXPECT_EQ(dir.read("ve3.ini"), "[S]\r\nk=1\r\n");
#endif
}
