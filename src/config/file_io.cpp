#include "config/file_io.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>
#include <vector>

#include "config/commit.h"

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

std::string pathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

Result Result::success(const fs::path& path) { return success(pathText(path)); }

Result Result::failed(Failure failure, const fs::path& path, std::string detail, Operation operation) {
  return {failure, operation, pathText(path), std::move(detail)};
}

namespace {

Failure errorFromErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return Failure::FolderMissing;
    case EACCES:
    case EPERM:
      return Failure::AccessDenied;
    case EROFS:
      return Failure::ReadOnly;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return Failure::DiskFull;
    default:
      return Failure::Other;
  }
}

Result failure(Failure kind, const fs::path& path, int err = 0, Operation operation = Operation::Write) {
  return Result::failed(kind, path, err ? std::string(std::strerror(err)) : std::string(), operation);
}

Result failureFromErrno(const fs::path& path, int err) { return failure(errorFromErrno(err), path, err); }

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

ResultOr<std::string> readFile(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    return failure(err == ENOENT ? Failure::NotFound : errorFromErrno(err), path, err, Operation::Read);
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
      return failure(err == EISDIR ? Failure::Other : errorFromErrno(err), path, err, Operation::Read);
    }
    filled += static_cast<std::size_t>(n);
  }
  bytes.resize(filled);
  ::close(fd);
  return {std::move(bytes), Result::success(path)};
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

ResultOr<StagedFile> StagedFile::prepare(const fs::path& target, std::string_view bytes) {
  const fs::path realTarget = resolveLinks(target);
  const fs::path folder = folderOf(realTarget);

  struct stat folderInfo {};
  if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)) {
    return failure(Failure::FolderMissing, target);
  }

  struct stat info {};
  const bool exists = ::stat(realTarget.c_str(), &info) == 0;
  if (exists) {
    if (!S_ISREG(info.st_mode)) return failure(Failure::Other, target, EISDIR);
    // Without any write bit the player marked the file read-only on purpose;
    // root could still replace it, so the bits are checked, not just access().
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return failure(Failure::ReadOnly, target);
    if (::access(realTarget.c_str(), W_OK) != 0) {
      int err = errno;
      return failure(err == EROFS ? Failure::ReadOnly : Failure::AccessDenied, target, err);
    }
  }

  std::string hidden(1, '.');
  hidden.append(realTarget.filename().string()).append(".XXXXXX");
  std::string pattern = (folder / hidden).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return failureFromErrno(target, errno);
  const fs::path temp = pattern;

  auto abandon = [&](int err) -> ResultOr<StagedFile> {
    ::close(fd);
    ::unlink(temp.c_str());
    return failureFromErrno(target, err);
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
    return failureFromErrno(target, err);
  }
  return {StagedFile(target, realTarget, temp), Result::success(target)};
}

Result StagedFile::commit() {
  if (m_temp.empty()) return failure(Failure::Other, m_target);
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
  return Result::success(m_target);
}

StagedFile::~StagedFile() {
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

#else  // _WIN32

ResultOr<std::string> readFile(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return failure(Failure::NotFound, path, 0, Operation::Read);
  std::ifstream in(path, std::ios::binary);
  if (!in) return failure(Failure::AccessDenied, path, 0, Operation::Read);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return failure(Failure::Other, path, 0, Operation::Read);
  return {std::move(bytes), Result::success(path)};
}

namespace {

Result failureFromLastError(const fs::path& path) {
  DWORD err = GetLastError();
  switch (err) {
    case ERROR_PATH_NOT_FOUND:
      return failure(Failure::FolderMissing, path);
    case ERROR_ACCESS_DENIED:
      return failure(Failure::AccessDenied, path);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return failure(Failure::DiskFull, path);
    default:
      return Result::failed(Failure::Other, path, "error " + std::to_string(err));
  }
}

}  // namespace

ResultOr<StagedFile> StagedFile::prepare(const fs::path& target, std::string_view bytes) {
  const fs::path realTarget = resolveLinks(target);
  std::error_code ec;
  if (!fs::is_directory(folderOf(realTarget), ec)) return failure(Failure::FolderMissing, target);
  DWORD attributes = GetFileAttributesW(realTarget.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return failure(Failure::ReadOnly, target);
  }
  std::random_device random;
  fs::path temp = folderOf(realTarget) / (realTarget.filename().wstring() + L"." + std::to_wstring(random()) + L".tmp");
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return failureFromLastError(target);
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(file);
  Result result = ok ? Result::success(target) : failureFromLastError(target);
  CloseHandle(file);
  if (!ok) {
    DeleteFileW(temp.c_str());
    return result;
  }
  return {StagedFile(target, realTarget, temp), std::move(result)};
}

Result StagedFile::commit() {
  if (m_temp.empty()) return failure(Failure::Other, m_target);
  if (!MoveFileExW(m_temp.c_str(), m_realTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Result result = failureFromLastError(m_target);
    DeleteFileW(m_temp.c_str());
    m_temp.clear();
    return result;
  }
  m_temp.clear();
  return Result::success(m_target);
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

Result replaceFile(const fs::path& target, std::string_view bytes) {
  auto staged = StagedFile::prepare(target, bytes);
  if (!staged) return staged.result();
  return staged->commit();
}

Result replaceTogether(std::span<const Replacement> files) {
  std::vector<fs::path> targets;
  for (const Replacement& file : files) targets.push_back(file.target);
  auto lock = WriteLock::acquire(targets);
  if (!lock) return lock.result();
  return replaceTogether(*lock, files);
}

}  // namespace valdor::config
