#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "config/file_io.h"

// Saves that survive a crash and never race: one writer at a time per folder
// of the game's files, and several files replaced as one even when the tool is
// killed between two renames.
namespace valdor::config {

// How saving works in this process. Set once at start by the program: the
// config layer does not know where the tool keeps its own files. A plain
// process-wide value rather than a parameter threaded through every model's
// save function, which would each just pass it on.
struct CommitSettings {
  // Where commit records are kept; empty keeps none (a crash between two
  // renames is then not repaired).
  std::filesystem::path journalFolder;
  // How long a writer waits for another copy of the tool to finish saving.
  std::chrono::milliseconds lockWait{5000};
  // Called under the write lock once every file of a save is staged, before
  // the first one is replaced, with the files about to change; a failure
  // stops the save and is its result. Empty: nothing is called.
  std::function<Result(std::span<const std::filesystem::path> targets)> beforeReplace = nullptr;
};

void setCommitSettings(CommitSettings settings);
const CommitSettings& commitSettings();

// The exclusive right to read, modify and replace files in some folders,
// held until the object goes. A second writer waits commitSettings().lockWait
// and then fails with Failure::Busy naming the file. Readers take no lock.
class WriteLock {
 public:
  // Locks the folders of all files (after symbolic links), in sorted order so
  // two writers of the same folders cannot hold one each. Once locked, an
  // interrupted commit within these folders is finished and temporary files
  // a killed writer left for these files are removed.
  static ResultOr<WriteLock> acquire(std::span<const std::filesystem::path> files);

  WriteLock(WriteLock&& other) noexcept;
  WriteLock& operator=(WriteLock&& other) noexcept;
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;
  ~WriteLock();

  // Whether the folder (as found by this lock) is one of the locked ones.
  bool holds(const std::filesystem::path& folder) const;

 private:
  friend ResultOr<WriteLock> lockFoldersWithin(std::vector<std::filesystem::path> folders,
                                               const std::filesystem::path& named, std::chrono::milliseconds wait);
  WriteLock() = default;
  void release();

  std::vector<std::filesystem::path> m_folders;
#ifdef _WIN32
  std::vector<void*> m_handles;
#else
  std::vector<int> m_fds;
#endif
};

// The lock of the folders themselves (sorted, each once); `named` is the file
// a failure names. WriteLock::acquire() for the files in them is the usual way.
ResultOr<WriteLock> lockFolders(std::vector<std::filesystem::path> folders, const std::filesystem::path& named);

// replaceTogether() for a writer that already holds the lock of every file's
// folder (it read the files under that lock). With more than one file a
// commit record is kept from before the first rename until after the last,
// so the next start finishes a save the tool was killed in.
Result replaceTogether(const WriteLock& held, std::span<const Replacement> files);

// What finishInterruptedCommits() did.
struct Recovery {
  int finished = 0;   // rolled forward: every file now holds the new state
  int discarded = 0;  // a staged file was missing: the ones not yet renamed stay as they were
};

// Finishes every commit a killed writer left in commitSettings().journalFolder
// when all of its staged files are there, else discards it and its staged
// files. Commits of live writers are left alone. Every start of the tool
// calls this before it reads or writes the game's files.
Recovery finishInterruptedCommits();

namespace testing {
// Called once the commit record is written and after each rename of a
// journaled commit, with the number of renames done; lets a test end the
// process there the way a crash would.
using AfterRenameHook = void (*)(std::size_t renamed);
void setAfterRenameHook(AfterRenameHook hook);
}  // namespace testing

}  // namespace valdor::config
