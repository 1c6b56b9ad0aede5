#include "config/commit.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <cwctype>
#include <functional>
#include <map>
#include <mutex>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace valdor::config {

namespace fs = std::filesystem;

ResultOr<WriteLock> lockFoldersWithin(std::vector<fs::path> folders, const fs::path& named,
                                      std::chrono::milliseconds wait);

namespace {

CommitSettings g_settings;
testing::AfterRenameHook g_afterRename = nullptr;

constexpr std::string_view kJournalMagic = "valdor3-commit 1";
constexpr std::string_view kJournalEnd = "end";
constexpr std::string_view kJournalExtension = ".journal";
constexpr std::string_view kJournalTempPrefix = ".commit-";
constexpr std::chrono::milliseconds kLockPoll{10};
constexpr std::chrono::milliseconds kNoWait{0};
// A commit record still being written is a few hundred bytes written in well
// under a second; one this old was left by a writer that was killed.
constexpr auto kAbandonedJournalAge = std::chrono::hours(1);

// A file's identity: a staged file keeps it when renamed over its target, so
// a target that has it was renamed already.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const FileId&) const = default;
};

struct JournalEntry {
  fs::path staged;
  fs::path target;
  FileId id;
};

fs::path folderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// The file after links and with its folders spelled out; empty when that
// cannot be found.
fs::path realPathOf(const fs::path& file) {
  std::error_code ec;
  fs::path real = fs::weakly_canonical(file, ec);
  return ec ? fs::path() : real;
}

// The folder whose lock guards a file: the one the file really lives in, so
// two spellings of the same path (or a link) take the same lock.
fs::path lockFolderOf(const fs::path& file, const fs::path& real) {
  if (!real.empty()) return folderOf(real);
  std::error_code ec;
  return folderOf(fs::absolute(file, ec));
}

fs::path lockFolderOf(const fs::path& file) { return lockFolderOf(file, realPathOf(file)); }

std::string systemText(int err) { return err ? std::string(std::strerror(err)) : std::string(); }

// ---- platform ----

#ifndef _WIN32

// flock() on the folder itself: it creates nothing in the game's folders, is
// released by the system when a writer dies (so a killed copy never blocks
// the next one), and every copy of the tool finds the same lock whatever state
// folder it runs with. Advisory only: the game does not take it.
using LockHandle = int;

std::optional<LockHandle> tryLockFolder(const fs::path& folder, int& err) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    err = errno;
    return std::nullopt;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
  err = errno;
  ::close(fd);
  return std::nullopt;
}

void unlockFolder(LockHandle handle) { ::close(handle); }

std::optional<FileId> fileId(const fs::path& file) {
  struct stat info {};
  if (::lstat(file.c_str(), &info) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

void syncFolder(const fs::path& folder) {
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

bool renameOver(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  syncFolder(folderOf(to));
  return true;
}

bool renameStagedOver(const fs::path& staged, const fs::path& target) { return renameOver(staged, target); }

#else

// A named mutex per folder: Windows cannot lock a folder, and a mutex is
// released by the system when its owner dies (WAIT_ABANDONED hands it over).
using LockHandle = void*;

// A mutex is owned by a thread and may be taken again by its owner, where
// a folder lock elsewhere excludes every other holder: the folders this
// process holds are kept here, so a second lock of one is refused as well.
std::mutex g_heldMutex;
std::map<LockHandle, std::wstring> g_held;

std::optional<LockHandle> tryLockFolder(const fs::path& folder, int& err) {
  std::wstring key = folder.wstring();
  std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
  const std::wstring name = L"Local\\valdor3-tuning-" + std::to_wstring(std::hash<std::wstring>{}(key));
  std::lock_guard guard(g_heldMutex);
  for (const auto& [handle, held] : g_held) {
    if (held == name) {
      err = EWOULDBLOCK;
      return std::nullopt;
    }
  }
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (!mutex) {
    err = static_cast<int>(GetLastError());
    return std::nullopt;
  }
  DWORD waited = WaitForSingleObject(mutex, 0);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    g_held.emplace(mutex, name);
    return mutex;
  }
  err = EWOULDBLOCK;
  CloseHandle(mutex);
  return std::nullopt;
}

void unlockFolder(LockHandle handle) {
  {
    std::lock_guard guard(g_heldMutex);
    g_held.erase(handle);
  }
  ReleaseMutex(handle);
  CloseHandle(handle);
}

std::optional<FileId> fileId(const fs::path& file) {
  HANDLE handle = CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!ok) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

std::optional<fs::path> writeDurable(const fs::path& folder, std::string_view bytes, int& err) {
  const fs::path path = folder / (std::wstring(L".commit-") + std::to_wstring(GetTickCount64()) + L"-" +
                                  std::to_wstring(GetCurrentProcessId()));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    err = static_cast<int>(GetLastError());
    return std::nullopt;
  }
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(file);
  if (!ok) err = static_cast<int>(GetLastError());
  CloseHandle(file);
  if (!ok) {
    DeleteFileW(path.c_str());
    return std::nullopt;
  }
  return path;
}

bool renameOver(const fs::path& from, const fs::path& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// A staged copy takes the place of its file as StagedFile::commit() does.
bool renameStagedOver(const fs::path& staged, const fs::path& target) {
  return moveStagedOver(staged, target) == ERROR_SUCCESS;
}

#endif

// ---- commit records ----

// Every field as "<length>:<bytes>\n", so any path survives the trip.
void putField(std::string& out, std::string_view field) {
  out.append(std::to_string(field.size())).append(":").append(field).append("\n");
}

std::optional<std::string_view> takeField(std::string_view& in) {
  const auto colon = in.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::size_t size = 0;
  const auto [end, ec] = std::from_chars(in.data(), in.data() + colon, size);
  if (ec != std::errc() || end != in.data() + colon || in.size() - colon - 1 < size + 1) return std::nullopt;
  std::string_view field = in.substr(colon + 1, size);
  if (in[colon + 1 + size] != '\n') return std::nullopt;
  in.remove_prefix(colon + 2 + size);
  return field;
}

std::optional<std::uint64_t> takeNumber(std::string_view& in) {
  auto field = takeField(in);
  if (!field) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(field->data(), field->data() + field->size(), value);
  if (ec != std::errc() || end != field->data() + field->size()) return std::nullopt;
  return value;
}

std::string journalBytes(std::span<const JournalEntry> entries) {
  std::string out;
  putField(out, kJournalMagic);
  putField(out, std::to_string(entries.size()));
  for (const JournalEntry& entry : entries) {
    putField(out, pathText(entry.staged));
    putField(out, pathText(entry.target));
    putField(out, std::to_string(entry.id.device));
    putField(out, std::to_string(entry.id.index));
  }
  putField(out, kJournalEnd);
  return out;
}

std::optional<std::vector<JournalEntry>> parseJournal(std::string_view in) {
  if (takeField(in) != kJournalMagic) return std::nullopt;
  auto count = takeNumber(in);
  if (!count || *count > 64) return std::nullopt;
  std::vector<JournalEntry> entries;
  for (std::uint64_t i = 0; i < *count; ++i) {
    auto staged = takeField(in);
    auto target = takeField(in);
    auto device = takeNumber(in);
    auto index = takeNumber(in);
    if (!staged || !target || !device || !index) return std::nullopt;
    entries.push_back({pathFromText(*staged), pathFromText(*target), {*device, *index}});
  }
  if (takeField(in) != kJournalEnd) return std::nullopt;
  // A kept record file is rewritten in place at a fixed size: zero bytes
  // after the end are its padding.
  if (in.find_first_not_of('\0') != std::string_view::npos) return std::nullopt;
  return entries;
}

// The name a record gets once complete: its hidden temporary name without the
// dot, so that it is listed, and with the records' extension.
fs::path journalNamed(const fs::path& temp) {
  fs::path named = temp;
  named.replace_filename(temp.filename().string().substr(1) + std::string(kJournalExtension));
  return named;
}

std::vector<fs::path> journalsIn(const fs::path& folder) {
  std::vector<fs::path> journals;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    if (path.extension() == kJournalExtension && it->is_regular_file(ec)) journals.push_back(path);
  }
  std::sort(journals.begin(), journals.end());
  return journals;
}

// The staged files named by records still waiting to be finished: they are
// not leftovers, whoever finds them.
std::vector<fs::path> pendingStagedFiles() {
  std::vector<fs::path> staged;
  if (g_settings.journalFolder.empty()) return staged;
  for (const fs::path& journal : journalsIn(g_settings.journalFolder)) {
    auto bytes = readFile(journal);
    if (!bytes) continue;
    if (auto entries = parseJournal(*bytes)) {
      for (const JournalEntry& entry : *entries) {
        std::error_code ec;
        staged.push_back(fs::weakly_canonical(entry.staged, ec));
      }
    }
  }
  return staged;
}

// The removal is not flushed: a record that comes back after a power cut
// names files that were all renamed already (or replaced again since), and
// finishing it then changes nothing. The flush would cost every save of two
// files one more wait for the disk.
void removeJournal(const fs::path& journal) {
  std::error_code ec;
  fs::remove(journal, ec);
}

#ifdef _WIN32

// A record survives a power cut only once both it and its folder entry are on disk.
ResultOr<fs::path> writeJournal(std::span<const JournalEntry> entries, const fs::path& named) {
  const fs::path& folder = g_settings.journalFolder;
  std::error_code ec;
  fs::create_directories(folder, ec);
  int err = 0;
  auto temp = writeDurable(folder, journalBytes(entries), err);
  if (!temp) return Result::failed(err == ENOSPC ? Failure::DiskFull : Failure::Other, named, systemText(err));
  // Named only when complete, so a record is never read half-written.
  const fs::path journal = journalNamed(*temp);
  if (!renameOver(*temp, journal)) {  // flushes the folder as well
    err = errno;
    fs::remove(*temp, ec);
    return Result::failed(Failure::Other, named, systemText(err));
  }
  return {journal, Result::success(named)};
}

#endif

#ifndef _WIN32

// A record with nothing to finish: what a kept record file holds between saves.
std::string clearedJournalBytes() { return journalBytes({}); }

// Records are padded to whole blocks, so that rewriting one in place mostly
// keeps the file's size and needs no flush of its metadata.
constexpr std::size_t kRecordBlock = 4096;

std::string paddedRecord(std::string bytes, std::size_t atLeast) {
  const std::size_t blocks = (bytes.size() + kRecordBlock - 1) / kRecordBlock;
  bytes.resize(std::max(blocks * kRecordBlock, atLeast), '\0');
  return bytes;
}

bool writeAllAt(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// This process's commit record: one file for all its saves, made once, then
// rewritten in place for every save of several files and cleared after it.
// A new file per save would cost each save one more flush of the folder and
// the removal of the file. The process holds the file's lock while it runs,
// so another copy's start never takes a record whose writer is alive; the
// system lets go of the lock when the process dies, and the next start then
// finishes the record and removes the file.
struct KeptRecord {
  std::mutex mutex;  // one save of several files at a time uses it
  int fd = -1;
  pid_t owner = 0;  // a child made by fork() inherits the descriptor, not the record
  fs::path path;
  fs::path folder;
  std::size_t size = 0;

  bool usableIn(const fs::path& wanted) const {
    struct stat info {};
    return fd >= 0 && owner == ::getpid() && folder == wanted && ::fstat(fd, &info) == 0 && info.st_nlink > 0;
  }

  void release() {
    if (fd >= 0) {
      if (owner == ::getpid()) ::unlink(path.c_str());
      ::close(fd);
    }
    fd = -1;
    size = 0;
  }

  bool create(const fs::path& in, int& err) {
    release();
    std::error_code ec;
    fs::create_directories(in, ec);
    std::string pattern = (in / (std::string(kJournalTempPrefix) + "XXXXXX")).string();
    const int made = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (made < 0) {
      err = errno;
      return false;
    }
    // Locked before it has its name, so no start ever finds it unlocked.
    const std::string cleared = paddedRecord(clearedJournalBytes(), 0);
    const fs::path temp(pattern);
    const fs::path named = journalNamed(temp);
    if (::flock(made, LOCK_EX | LOCK_NB) != 0 || !writeAllAt(made, cleared) || ::fsync(made) != 0 ||
        !renameOver(temp, named)) {
      err = errno;
      ::unlink(pattern.c_str());
      ::close(made);
      return false;
    }
    fd = made;
    owner = ::getpid();
    path = named;
    folder = in;
    size = cleared.size();
    return true;
  }

  ~KeptRecord() { release(); }
};

KeptRecord g_kept;

#endif

// The commit record of one save of several files, on disk once made, and
// cleared or removed when the object goes.
class CommitRecord {
 public:
  static ResultOr<CommitRecord> write(std::span<const JournalEntry> entries, const fs::path& named);

  CommitRecord(CommitRecord&& other) noexcept
      : m_path(std::exchange(other.m_path, {}))
#ifndef _WIN32
        ,
        m_guard(std::move(other.m_guard))
#endif
  {
  }
  CommitRecord& operator=(CommitRecord&&) = delete;
  ~CommitRecord();

 private:
  CommitRecord() = default;

  fs::path m_path;  // empty: nothing to clear
#ifndef _WIN32
  std::unique_lock<std::mutex> m_guard;
#endif
};

#ifdef _WIN32

ResultOr<CommitRecord> CommitRecord::write(std::span<const JournalEntry> entries, const fs::path& named) {
  auto written = writeJournal(entries, named);
  if (!written) return written.result();
  CommitRecord record;
  record.m_path = *written;
  return {std::move(record), Result::success(named)};
}

CommitRecord::~CommitRecord() {
  if (!m_path.empty()) removeJournal(m_path);
}

#else

ResultOr<CommitRecord> CommitRecord::write(std::span<const JournalEntry> entries, const fs::path& named) {
  CommitRecord record;
  record.m_guard = std::unique_lock(g_kept.mutex);
  int err = 0;
  if (!g_kept.usableIn(g_settings.journalFolder) && !g_kept.create(g_settings.journalFolder, err)) {
    return Result::failed(err == ENOSPC ? Failure::DiskFull : Failure::Other, named, systemText(err));
  }
  // On the disk before the first rename: the data alone while the size stays.
  const std::string bytes = paddedRecord(journalBytes(entries), g_kept.size);
  const bool grows = bytes.size() != g_kept.size;
  if (!writeAllAt(g_kept.fd, bytes) || (grows ? ::fsync(g_kept.fd) : ::fdatasync(g_kept.fd)) != 0) {
    err = errno;
    // What the file holds now is not known to be whole; a new one next time.
    g_kept.release();
    return Result::failed(err == ENOSPC ? Failure::DiskFull : Failure::Other, named, systemText(err));
  }
  g_kept.size = bytes.size();
  record.m_path = g_kept.path;
  return {std::move(record), Result::success(named)};
}

// Not flushed, as removing a record is not: a record that comes back after a
// power cut names files that were all renamed already.
CommitRecord::~CommitRecord() {
  if (m_path.empty() || g_kept.fd < 0) return;
  if (!writeAllAt(g_kept.fd, paddedRecord(clearedJournalBytes(), g_kept.size))) g_kept.release();
}

#endif

// Finishes or discards one record of a dead writer; the caller holds the
// locks of every folder it names.
bool finishJournal(const fs::path& journal, const std::vector<JournalEntry>& entries) {
  enum class State { Renamed, Staged, Lost };
  std::vector<State> states;
  for (const JournalEntry& entry : entries) {
    if (fileId(entry.target) == entry.id) {
      states.push_back(State::Renamed);
    } else if (fileId(entry.staged) == entry.id) {
      states.push_back(State::Staged);
    } else {
      states.push_back(State::Lost);
    }
  }
  const bool complete = std::find(states.begin(), states.end(), State::Lost) == states.end();
  std::error_code ec;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (states[i] != State::Staged) continue;
    // Rolled forward when every new file is there; otherwise the new state
    // cannot be had, and the files not yet renamed keep the old one.
    if (!complete || !renameStagedOver(entries[i].staged, entries[i].target)) fs::remove(entries[i].staged, ec);
  }
  removeJournal(journal);
  return complete;
}

void removeAbandonedJournalTemps(const fs::path& folder) {
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->path().filename().string().starts_with(kJournalTempPrefix)) continue;
    std::error_code timeEc;
    const auto written = it->last_write_time(timeEc);
    if (!timeEc && now - written > kAbandonedJournalAge) fs::remove(it->path(), timeEc);
  }
}

// Whether a record's writer is gone. A writer holds its record file locked
// while it runs (see KeptRecord); the lock is taken here for the while the
// record is finished, so two starts never finish one record at once.
struct RecordLock {
  enum class State { Locked, Busy, Gone } state = State::Gone;
#ifndef _WIN32
  int fd = -1;
  RecordLock() = default;
  RecordLock(RecordLock&& other) noexcept : state(other.state), fd(std::exchange(other.fd, -1)) {}
  RecordLock& operator=(RecordLock&&) = delete;
  ~RecordLock() {
    if (fd >= 0) ::close(fd);
  }
#endif
};

RecordLock lockRecord(const fs::path& record, std::chrono::steady_clock::time_point deadline) {
  RecordLock lock;
#ifdef _WIN32
  // Records there are made and removed within one save under the folders'
  // locks, which tell whether their writer runs.
  (void)record;
  (void)deadline;
  lock.state = RecordLock::State::Locked;
#else
  lock.fd = ::open(record.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);  // never waits on a pipe
  if (lock.fd < 0) return lock;
  for (;;) {
    if (::flock(lock.fd, LOCK_EX | LOCK_NB) == 0) break;
    if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      lock.state = RecordLock::State::Busy;
      return lock;
    }
    std::this_thread::sleep_for(kLockPoll);
  }
  // Removed meanwhile by its writer, at its end, or by another start.
  struct stat info {};
  lock.state = ::fstat(lock.fd, &info) == 0 && info.st_nlink > 0 ? RecordLock::State::Locked : RecordLock::State::Gone;
#endif
  return lock;
}

// Finishes the records of dead writers. Without `held` (a start) every such
// record; one whose folders another writer holds is left to that writer,
// which finishes it before it reads. With `held` (a writer about to read)
// only the records touching its folders: one must be finished before the
// files are read, or the rest of it would later land on top of this
// writer's save. Such a record's writer is dead, since a live one would hold
// one of these folders; the record may be locked for a moment by a start
// finishing it, and is waited for. The other folders it names are locked for
// the while; when one stays locked the writer is told so rather than read a
// half-saved state.
Result finishCommits(const WriteLock* held, Recovery& recovery) {
  if (g_settings.journalFolder.empty()) return Result::success(std::string());
  const auto now = std::chrono::steady_clock::now();
  for (const fs::path& journal : journalsIn(g_settings.journalFolder)) {
    std::optional<std::vector<JournalEntry>> entries;
    if (held) {
      auto bytes = readFile(journal);
      if (bytes) entries = parseJournal(*bytes);
      if (!entries || std::none_of(entries->begin(), entries->end(), [&](const JournalEntry& entry) {
            return held->holds(lockFolderOf(entry.target));
          })) {
        continue;
      }
    }
    const RecordLock record = lockRecord(journal, held ? now + g_settings.lockWait : now);
    if (record.state == RecordLock::State::Busy && held) return Result::failed(Failure::Busy, entries->front().target);
    if (record.state != RecordLock::State::Locked) continue;
    auto bytes = readFile(journal);
    if (!bytes) continue;
    entries = parseJournal(*bytes);
    if (!entries || entries->empty()) {
      // A record cleared by a writer that is gone, or one cut off by a power
      // cut while being rewritten, before any of its renames: nothing to finish.
      if (!held) removeJournal(journal);
      continue;
    }
    std::vector<fs::path> folders;
    for (const JournalEntry& entry : *entries) {
      fs::path folder = lockFolderOf(entry.target);
      if (!held || !held->holds(folder)) folders.push_back(std::move(folder));
    }
    if (held && folders.size() == entries->size()) continue;  // none of ours
    auto own = lockFoldersWithin(folders, entries->front().target, held ? g_settings.lockWait : kNoWait);
    if (!own) {
      if (held) return own.result();
      continue;
    }
    // A writer removes its record before it lets go of the locks: a record
    // still there now is one whose writer died.
    std::error_code ec;
    if (!fs::exists(journal, ec)) continue;
    if (finishJournal(journal, *entries)) {
      ++recovery.finished;
    } else {
      ++recovery.discarded;
    }
  }
  if (!held) removeAbandonedJournalTemps(g_settings.journalFolder);
  return Result::success(std::string());
}

// The files (after links) whose leftovers this process has looked for. A
// copy killed while this one runs leaves at most a hidden file until the next
// start's first save of it; looking again at every save would list the
// game's folder and read every waiting record each time.
std::mutex g_sweptMutex;
std::set<fs::path> g_swept;

// Removes the staged copies a killed writer left for these files (after
// links; empty for a file whose real path could not be found). Only our
// own pattern (".<name>." and six letters or digits, as mkstemp makes them;
// on Windows also hidden, as they are created there), only
// for files being written now, and never one a waiting record still needs.
void removeLeftoverStagedFiles(std::span<const fs::path> realFiles) {
  std::vector<fs::path> files;
  {
    std::lock_guard guard(g_sweptMutex);
    for (const fs::path& real : realFiles) {
      if (!real.empty() && g_swept.insert(real).second) files.push_back(real);
    }
  }
  if (files.empty()) return;
  const auto pending = pendingStagedFiles();
  for (const fs::path& real : files) {
#ifndef _WIN32
    std::error_code ec;
    const std::string prefix = "." + real.filename().string() + ".";
    for (fs::directory_iterator it(folderOf(real), ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (!name.starts_with(prefix) || name.size() != prefix.size() + 6) continue;
      const std::string_view suffix = std::string_view(name).substr(prefix.size());
      if (!std::all_of(suffix.begin(), suffix.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        continue;
      if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
      if (std::find(pending.begin(), pending.end(), it->path()) != pending.end()) continue;
      std::error_code removeEc;
      fs::remove(it->path(), removeEc);
    }
#else
    std::error_code ec;
    const std::wstring prefix = L"." + real.filename().wstring() + L".";
    for (fs::directory_iterator it(folderOf(real), ec), end; !ec && it != end; it.increment(ec)) {
      const std::wstring name = it->path().filename().wstring();
      // Names compare without case there, as the file system does.
      const auto sameLetter = [](wchar_t a, wchar_t b) { return towlower(a) == towlower(b); };
      if (name.size() != prefix.size() + 6 || !std::equal(prefix.begin(), prefix.end(), name.begin(), sameLetter))
        continue;
      if (!std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](wchar_t c) { return c < 128 && std::isalnum(static_cast<unsigned char>(c)); }))
        continue;
      const DWORD attributes = GetFileAttributesW(it->path().c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES ||
          (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_HIDDEN)) !=
              FILE_ATTRIBUTE_HIDDEN)
        continue;
      if (std::find(pending.begin(), pending.end(), it->path()) != pending.end()) continue;
      std::error_code removeEc;
      fs::remove(it->path(), removeEc);
    }
#endif
  }
}

}  // namespace

void setCommitSettings(CommitSettings settings) { g_settings = std::move(settings); }
const CommitSettings& commitSettings() { return g_settings; }

void testing::setAfterRenameHook(AfterRenameHook hook) { g_afterRename = hook; }

ResultOr<WriteLock> lockFolders(std::vector<fs::path> folders, const fs::path& named) {
  return lockFoldersWithin(std::move(folders), named, g_settings.lockWait);
}

ResultOr<WriteLock> lockFoldersWithin(std::vector<fs::path> folders, const fs::path& named,
                                      std::chrono::milliseconds wait) {
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  WriteLock lock;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (const fs::path& folder : folders) {
    for (;;) {
      int err = 0;
      if (auto handle = tryLockFolder(folder, err)) {
        lock.m_folders.push_back(folder);
#ifdef _WIN32
        lock.m_handles.push_back(*handle);
#else
        lock.m_fds.push_back(*handle);
#endif
        break;
      }
      if (err != EWOULDBLOCK) {
        // A missing folder is reported when the file is staged; a folder
        // that cannot be opened cannot hold a file we may write either.
        if (err == ENOENT || err == ENOTDIR) break;
        return Result::failed(err == EACCES ? Failure::AccessDenied : Failure::Other, named, systemText(err));
      }
      if (std::chrono::steady_clock::now() >= deadline) return Result::failed(Failure::Busy, named);
      std::this_thread::sleep_for(kLockPoll);
    }
  }
  return {std::move(lock), Result::success(named)};
}

ResultOr<WriteLock> WriteLock::acquire(std::span<const fs::path> files) {
  std::vector<fs::path> realFiles;
  std::vector<fs::path> folders;
  for (const fs::path& file : files) {
    realFiles.push_back(realPathOf(file));
    folders.push_back(lockFolderOf(file, realFiles.back()));
  }
  auto lock = lockFolders(std::move(folders), files.empty() ? fs::path() : files.front());
  if (!lock) return lock;
  Recovery recovery;
  if (Result finished = finishCommits(&*lock, recovery); !finished) return finished;
  removeLeftoverStagedFiles(realFiles);
  return lock;
}

WriteLock::WriteLock(WriteLock&& other) noexcept
    : m_folders(std::move(other.m_folders)),
#ifdef _WIN32
      m_handles(std::exchange(other.m_handles, {})) {
}
#else
      m_fds(std::exchange(other.m_fds, {})) {
}
#endif

WriteLock& WriteLock::operator=(WriteLock&& other) noexcept {
  if (this != &other) {
    release();
    m_folders = std::move(other.m_folders);
#ifdef _WIN32
    m_handles = std::exchange(other.m_handles, {});
#else
    m_fds = std::exchange(other.m_fds, {});
#endif
  }
  return *this;
}

WriteLock::~WriteLock() { release(); }

void WriteLock::release() {
#ifdef _WIN32
  for (void* handle : m_handles) unlockFolder(handle);
  m_handles.clear();
#else
  for (int fd : m_fds) unlockFolder(fd);
  m_fds.clear();
#endif
}

bool WriteLock::holds(const fs::path& folder) const {
  return std::find(m_folders.begin(), m_folders.end(), folder) != m_folders.end();
}

Result replaceTogether(const WriteLock&, std::span<const Replacement> files) {
  std::vector<StagedFile> staged;
  staged.reserve(files.size());
  for (const Replacement& file : files) {
    auto stage = StagedFile::prepare(file.target, file.bytes);
    if (!stage) return stage.result();
    staged.push_back(std::move(*stage));
  }
  if (files.empty()) return Result::success(std::string());
  if (g_settings.beforeReplace) {
    std::vector<fs::path> targets;
    for (const Replacement& file : files) targets.push_back(file.target);
    if (Result result = g_settings.beforeReplace(targets); !result) return result;
  }

  // One rename is all-or-nothing by itself; two need a record saying what
  // the whole save is, in case the tool dies between them.
  // A file rewritten in place (hard links, another owner, a folder that takes
  // no new files) has no staged copy a later start could rename, so such a
  // save goes without a record: it still never tears a file, but a crash
  // between its files can leave them from different saves.
  const bool renamesOnly =
      std::none_of(staged.begin(), staged.end(), [](const StagedFile& stage) { return stage.inPlace(); });
  std::optional<CommitRecord> journal;
  if (staged.size() > 1 && renamesOnly && !g_settings.journalFolder.empty()) {
    std::vector<JournalEntry> entries;
    for (const StagedFile& stage : staged) {
      auto id = fileId(stage.tempPath());
      if (!id) return Result::failed(Failure::Other, stage.target(), "staged file vanished");
      // Absolute, as the next start may run in another working folder.
      std::error_code ec;
      entries.push_back({fs::absolute(stage.tempPath(), ec), fs::absolute(stage.realTarget(), ec), *id});
    }
    auto written = CommitRecord::write(entries, files.front().target);
    if (!written) return written.result();
    journal.emplace(std::move(*written));
  }

  // A failing rename leaves the files not yet renamed as they were; their
  // staged copies are removed when `staged` goes.
  std::size_t renamed = 0;
  Result outcome = Result::success(files.front().target);
  if (journal && g_afterRename) g_afterRename(renamed);
  for (StagedFile& stage : staged) {
    if (Result result = stage.commit(); !result) {
      outcome = result;
      break;
    }
    ++renamed;
    if (journal && g_afterRename) g_afterRename(renamed);
  }
  journal.reset();  // cleared only now: every rename done is on the disk
  return outcome;
}

Recovery finishInterruptedCommits() {
  Recovery recovery;
  finishCommits(nullptr, recovery);
  return recovery;
}

}  // namespace valdor::config
