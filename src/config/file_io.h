#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace valdor::config {

// Why a file operation failed; the windows turn it into a message in the
// player's language that names the file.
enum class FileError {
  None,
  NotFound,       // the file (for reading) does not exist
  FolderMissing,  // the folder that should hold the file does not exist
  ReadOnly,       // the file is marked read-only and is never replaced
  AccessDenied,   // the system refused access
  DiskFull,       // no space left
  InvalidName,    // a section, key or value that cannot be stored safely
  Other,          // anything else; `detail` says what
};

struct FileResult {
  FileError error = FileError::None;
  std::filesystem::path path;
  std::string detail;  // the system's own words, for the curious; may be empty

  bool ok() const { return error == FileError::None; }
  explicit operator bool() const { return ok(); }

  static FileResult success(const std::filesystem::path& path) { return {FileError::None, path, {}}; }
};

// Whole file as bytes; nullopt (with the reason in *why) when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path, FileResult* why = nullptr);

// A replacement of one file that is written completely to a temporary file in
// the target's folder first and only then renamed over the target, so a crash
// or a full disk never leaves a torn file. The temporary file is removed when
// the object is destroyed without commit().
class StagedFile {
 public:
  // Writes and flushes the temporary file. Refuses a read-only target and a
  // missing folder. The target may be missing (it is then created).
  static std::optional<StagedFile> prepare(const std::filesystem::path& target, std::string_view bytes,
                                           FileResult& result);

  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&& other) noexcept;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile();

  // Renames the temporary file over the target (a symbolic link keeps pointing
  // at the updated file; the file keeps its permissions).
  FileResult commit();

  const std::filesystem::path& target() const { return m_target; }

 private:
  StagedFile(std::filesystem::path target, std::filesystem::path realTarget, std::filesystem::path temp);

  std::filesystem::path m_target;      // as the caller named it, for messages
  std::filesystem::path m_realTarget;  // the file a symbolic link points at
  std::filesystem::path m_temp;
};

// prepare() and commit() in one step.
FileResult replaceFile(const std::filesystem::path& target, std::string_view bytes);

}  // namespace valdor::config
