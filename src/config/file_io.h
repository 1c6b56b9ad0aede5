#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace valdor::config {

// What went wrong; the windows and the command line turn it into a message in
// the player's language that names the file or key.
enum class Failure {
  None,
  NotFound,       // the file (for reading) does not exist
  FolderMissing,  // the folder that should hold the file does not exist
  ReadOnly,       // the file is marked read-only and is never replaced
  AccessDenied,   // the system refused access
  DiskFull,       // no space left
  InvalidName,    // a section, key or value that cannot be stored safely
  NotANumber,     // a value to be saved is not a number; nothing was written
  InvalidFile,    // the file is not of the kind expected (a backup that is not one)
  UnsupportedEncoding,  // a byte-order mark the game cannot read back (UTF-16BE, UTF-32)
  EditedFile,     // the target is (or links to) one of the files the tool edits
  AlreadyExists,  // the target exists and was not to be replaced
  NotARegularFile,  // a folder, pipe, device or socket where a file was expected
  TooLarge,         // larger than any file of its kind can be; not read
  Unreadable,       // the file exists but this user may not read it
  NotPrivate,       // a folder for the tool's own files that others could reach; not used
  Busy,           // another copy of the tool kept the file locked for too long; nothing was written
  InUse,          // another program (the game) has the file open and shares it with no writer
  OutsideCodePage,  // a folder name the game cannot read in the system's code page; not stored
  ChangedOutside,   // another program changed a key the saver read, since it read it; nothing was written
  Other,          // anything else; `detail` says what
};

// Whether the failing step read or wrote: the same refusal reads differently
// to the player when a file could not be opened than when it could not be saved.
enum class Operation { Write, Read };

// The outcome of every operation on a file or on the registry.
struct Result {
  Failure failure = Failure::None;
  Operation operation = Operation::Write;
  std::string where;   // the file's path (UTF-8) or the registry key
  std::string detail;  // the system's own words, for the curious; may be empty

  bool ok() const { return failure == Failure::None; }
  explicit operator bool() const { return ok(); }

  static Result success(std::string where) { return {Failure::None, Operation::Write, std::move(where), {}}; }
  static Result success(const std::filesystem::path& path);
  static Result failed(Failure failure, const std::filesystem::path& path, std::string detail = {},
                       Operation operation = Operation::Write);
};

// A path as the text a Result and a message carry (UTF-8).
std::string pathText(const std::filesystem::path& path);

// The path pathText() gave, back from its text.
std::filesystem::path pathFromText(std::string_view text);

// A value, or the Result that says why there is none.
template <typename T>
class ResultOr {
 public:
  ResultOr(T value, Result result) : m_value(std::move(value)), m_result(std::move(result)) {}
  // Implicit, so a function returning a value can return its failure as it is.
  ResultOr(Result failure) : m_result(std::move(failure)) {}

  bool ok() const { return m_value.has_value(); }
  explicit operator bool() const { return ok(); }
  T& operator*() { return *m_value; }
  const T& operator*() const { return *m_value; }
  T* operator->() { return &*m_value; }
  const T* operator->() const { return &*m_value; }
  T value_or(T fallback) const& { return m_value ? *m_value : std::move(fallback); }
  T value_or(T fallback) && { return m_value ? std::move(*m_value) : std::move(fallback); }
  const Result& result() const { return m_result; }

 private:
  std::optional<T> m_value;
  Result m_result;
};

// The largest INI file or translation table read: far above any real one,
// small enough that a wrong file cannot exhaust memory.
inline constexpr std::uint64_t kMaxFileSize = 64u * 1024 * 1024;

// Whole file as bytes, or why it cannot be read. Only regular files of at
// most maxSize bytes are read; opening never blocks (a pipe is refused).
ResultOr<std::string> readFile(const std::filesystem::path& path, std::uint64_t maxSize = kMaxFileSize);

// A replacement of one file that is written completely to a temporary file in
// the target's folder first and only then renamed over the target, so a crash
// or a full disk never leaves a torn file. The temporary file is removed when
// the object is destroyed without commit().
//
// Where a replacement would do harm or cannot be made, the existing file is
// rewritten in place instead: when the folder refuses a temporary file but the
// file is writable, when the file belongs to another user (a new file would
// change its owner) and when it has more than one hard link (the other names
// would keep the old content).
class StagedFile {
 public:
  // Writes and flushes the temporary file, or for an in-place rewrite opens
  // the file and reserves its new length. Refuses a read-only target and a
  // missing folder. The target may be missing (it is then created).
  static ResultOr<StagedFile> prepare(const std::filesystem::path& target, std::string_view bytes);

  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&& other) noexcept;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile();

  // Renames the temporary file over the target (a symbolic link keeps pointing
  // at the updated file; the file keeps its permissions), or writes the file
  // in place, cuts it to its new length and flushes it.
  Result commit();

  const std::filesystem::path& target() const { return m_target; }
  bool inPlace() const { return m_inPlaceFd >= 0; }
  // The file renamed over: the target after symbolic links.
  const std::filesystem::path& realTarget() const { return m_realTarget; }
  // The staged copy; empty once committed.
  const std::filesystem::path& tempPath() const { return m_temp; }

 private:
  StagedFile(std::filesystem::path target, std::filesystem::path realTarget, std::filesystem::path temp);
  StagedFile(std::filesystem::path target, int inPlaceFd, std::string bytes);
  void release();

  std::filesystem::path m_target;      // as the caller named it, for messages
  std::filesystem::path m_realTarget;  // the file a symbolic link points at
  std::filesystem::path m_temp;
  int m_inPlaceFd = -1;                // the open target of an in-place rewrite
  std::string m_bytes;                 // what an in-place rewrite writes
};

#ifdef _WIN32
// Puts a staged copy in the place of target. An existing target keeps its
// attributes, owner and ACL (ReplaceFileW); a new one is moved in. Gives 0 or
// the system's error code.
unsigned long moveStagedOver(const std::filesystem::path& staged, const std::filesystem::path& target);
#endif

// prepare() and commit() in one step.
Result replaceFile(const std::filesystem::path& target, std::string_view bytes);

// One file of replaceTogether(): its new bytes, which must outlive the call.
struct Replacement {
  std::filesystem::path target;
  std::string_view bytes;
};

// Replaces several files as one: every file is staged completely before any
// of them is renamed over its target, so a file that cannot be written leaves
// all of them as they were. Holds the write lock of their folders meanwhile
// and keeps a commit record (see commit.h). Succeeds naming the first file.
Result replaceTogether(std::span<const Replacement> files);

}  // namespace valdor::config
