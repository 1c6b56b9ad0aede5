#include "config/file_io.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <fstream>
#include <iterator>
#include <random>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace valdor::config {

namespace fs = std::filesystem;

namespace {

FileError errorFromErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return FileError::FolderMissing;
    case EACCES:
    case EPERM:
      return FileError::AccessDenied;
    case EROFS:
      return FileError::ReadOnly;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return FileError::DiskFull;
    default:
      return FileError::Other;
  }
}

FileResult failure(FileError error, const fs::path& path, int err = 0) {
  return {error, path, err ? std::string(std::strerror(err)) : std::string()};
}

FileResult failureFromErrno(const fs::path& path, int err) { return failure(errorFromErrno(err), path, err); }

// The file a chain of symbolic links ends at, so replacing it keeps the link.
fs::path resolveLinks(const fs::path& target) {
  fs::path current = target;
  std::error_code ec;
  for (int depth = 0; depth < 40 && fs::is_symlink(fs::symlink_status(current, ec)); ++depth) {
    fs::path next = fs::read_symlink(current, ec);
    if (ec) break;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current;
}

fs::path folderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

}  // namespace

#ifndef _WIN32

std::optional<std::string> readFile(const fs::path& path, FileResult* why) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    if (why) *why = failure(err == ENOENT ? FileError::NotFound : errorFromErrno(err), path, err);
    return std::nullopt;
  }
  std::string bytes;
  struct stat info {};
  std::size_t size = ::fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
  bytes.resize(size + 1);  // one more byte than expected tells when the file grew meanwhile
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() * 2 + 4096);
    ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      if (why) *why = failure(err == EISDIR ? FileError::Other : errorFromErrno(err), path, err);
      return std::nullopt;
    }
    filled += static_cast<std::size_t>(n);
  }
  bytes.resize(filled);
  ::close(fd);
  if (why) *why = FileResult::success(path);
  return bytes;
}

namespace {

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

mode_t currentUmask() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

std::optional<StagedFile> StagedFile::prepare(const fs::path& target, std::string_view bytes, FileResult& result) {
  const fs::path realTarget = resolveLinks(target);
  const fs::path folder = folderOf(realTarget);

  struct stat folderInfo {};
  if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)) {
    result = failure(FileError::FolderMissing, target);
    return std::nullopt;
  }

  struct stat info {};
  const bool exists = ::stat(realTarget.c_str(), &info) == 0;
  if (exists) {
    if (!S_ISREG(info.st_mode)) {
      result = failure(FileError::Other, target, EISDIR);
      return std::nullopt;
    }
    // Without any write bit the player marked the file read-only on purpose;
    // root could still replace it, so the bits are checked, not just access().
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      result = failure(FileError::ReadOnly, target);
      return std::nullopt;
    }
    if (::access(realTarget.c_str(), W_OK) != 0) {
      int err = errno;
      result = failure(err == EROFS ? FileError::ReadOnly : FileError::AccessDenied, target, err);
      return std::nullopt;
    }
  }

  std::string hidden(1, '.');
  hidden.append(realTarget.filename().string()).append(".XXXXXX");
  std::string pattern = (folder / hidden).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    result = failureFromErrno(target, errno);
    return std::nullopt;
  }
  const fs::path temp = pattern;

  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    result = failureFromErrno(target, err);
    return std::nullopt;
  };

  if (exists) {
    if (::fchmod(fd, info.st_mode & 07777) != 0) return abandon(errno);
    // Only root may hand the file back to its owner; for anyone else the
    // owner is already right.
    if (::fchown(fd, info.st_uid, info.st_gid) != 0 && errno != EPERM) return abandon(errno);
  } else if (::fchmod(fd, 0666 & ~currentUmask()) != 0) {
    return abandon(errno);
  }
  if (!writeAll(fd, bytes)) return abandon(errno);
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    result = failureFromErrno(target, err);
    return std::nullopt;
  }
  result = FileResult::success(target);
  return StagedFile(target, realTarget, temp);
}

FileResult StagedFile::commit() {
  if (m_temp.empty()) return failure(FileError::Other, m_target);
  if (::rename(m_temp.c_str(), m_realTarget.c_str()) != 0) {
    int err = errno;
    ::unlink(m_temp.c_str());
    m_temp.clear();
    return failureFromErrno(m_target, err);
  }
  m_temp.clear();
  // The rename itself must reach the disk too, or a power cut could bring the
  // old file back after the player was told it was saved.
  int dir = ::open(folderOf(m_realTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return FileResult::success(m_target);
}

StagedFile::~StagedFile() {
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

#else  // _WIN32

std::optional<std::string> readFile(const fs::path& path, FileResult* why) {
  std::error_code ec;
  if (!fs::exists(path, ec)) {
    if (why) *why = failure(FileError::NotFound, path);
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (why) *why = failure(FileError::AccessDenied, path);
    return std::nullopt;
  }
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) {
    if (why) *why = failure(FileError::Other, path);
    return std::nullopt;
  }
  if (why) *why = FileResult::success(path);
  return bytes;
}

namespace {

FileResult failureFromLastError(const fs::path& path) {
  DWORD err = GetLastError();
  switch (err) {
    case ERROR_PATH_NOT_FOUND:
      return failure(FileError::FolderMissing, path);
    case ERROR_ACCESS_DENIED:
      return failure(FileError::AccessDenied, path);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return failure(FileError::DiskFull, path);
    default:
      return {FileError::Other, path, "error " + std::to_string(err)};
  }
}

}  // namespace

std::optional<StagedFile> StagedFile::prepare(const fs::path& target, std::string_view bytes, FileResult& result) {
  const fs::path realTarget = resolveLinks(target);
  std::error_code ec;
  if (!fs::is_directory(folderOf(realTarget), ec)) {
    result = failure(FileError::FolderMissing, target);
    return std::nullopt;
  }
  DWORD attributes = GetFileAttributesW(realTarget.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    result = failure(FileError::ReadOnly, target);
    return std::nullopt;
  }
  std::random_device random;
  fs::path temp = folderOf(realTarget) / (realTarget.filename().wstring() + L"." + std::to_wstring(random()) + L".tmp");
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    result = failureFromLastError(target);
    return std::nullopt;
  }
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(file);
  if (!ok) result = failureFromLastError(target);
  CloseHandle(file);
  if (!ok) {
    DeleteFileW(temp.c_str());
    return std::nullopt;
  }
  result = FileResult::success(target);
  return StagedFile(target, realTarget, temp);
}

FileResult StagedFile::commit() {
  if (m_temp.empty()) return failure(FileError::Other, m_target);
  if (!MoveFileExW(m_temp.c_str(), m_realTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    FileResult result = failureFromLastError(m_target);
    DeleteFileW(m_temp.c_str());
    m_temp.clear();
    return result;
  }
  m_temp.clear();
  return FileResult::success(m_target);
}

StagedFile::~StagedFile() {
  if (!m_temp.empty()) DeleteFileW(m_temp.c_str());
}

#endif

StagedFile::StagedFile(fs::path target, fs::path realTarget, fs::path temp)
    : m_target(std::move(target)), m_realTarget(std::move(realTarget)), m_temp(std::move(temp)) {}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_target(std::move(other.m_target)),
      m_realTarget(std::move(other.m_realTarget)),
      m_temp(std::exchange(other.m_temp, {})) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
  if (this != &other) {
    StagedFile discarded(std::move(*this));
    m_target = std::move(other.m_target);
    m_realTarget = std::move(other.m_realTarget);
    m_temp = std::exchange(other.m_temp, {});
  }
  return *this;
}

FileResult replaceFile(const fs::path& target, std::string_view bytes) {
  FileResult result;
  auto staged = StagedFile::prepare(target, bytes, result);
  if (!staged) return result;
  return staged->commit();
}

}  // namespace valdor::config
