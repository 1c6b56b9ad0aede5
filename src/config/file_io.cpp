#include "config/file_io.h"

#include <algorithm>
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

#ifndef _WIN32
// errno of the POSIX calls below; Windows reports its own error codes.
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
#endif

Result failure(Failure kind, const fs::path& path, int err = 0, Operation operation = Operation::Write) {
  return Result::failed(kind, path, err ? std::string(std::strerror(err)) : std::string(), operation);
}

#ifndef _WIN32
Result failureFromErrno(const fs::path& path, int err) { return failure(errorFromErrno(err), path, err); }
#endif

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

namespace {

Failure readFailureFromErrno(int err) {
  switch (err) {
    case ENOENT:
      return Failure::NotFound;
    case EACCES:
    case EPERM:
      return Failure::Unreadable;
    case ENXIO:  // a socket, or a device without its driver
    case EISDIR:
      return Failure::NotARegularFile;
    default:
      return errorFromErrno(err);
  }
}

}  // namespace

ResultOr<std::string> readFile(const fs::path& path, std::uint64_t maxSize) {
  // O_NONBLOCK: opening a pipe without a writer would otherwise wait forever,
  // before fstat could tell it is no file. O_NOCTTY: a terminal named here
  // must not become the tool's controlling terminal.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    int err = errno;
    return failure(readFailureFromErrno(err), path, err, Operation::Read);
  }
  auto refuse = [&](Failure kind, int err) -> ResultOr<std::string> {
    ::close(fd);
    return failure(kind, path, err, Operation::Read);
  };
  struct stat info {};
  if (::fstat(fd, &info) != 0) return refuse(Failure::Other, errno);
  // Devices, pipes and sockets never end (/dev/zero) or block; a folder is no file.
  if (!S_ISREG(info.st_mode)) return refuse(Failure::NotARegularFile, 0);
  if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > maxSize) return refuse(Failure::TooLarge, 0);
  if (int flags = ::fcntl(fd, F_GETFL); flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

  std::string bytes;
  const auto size = static_cast<std::size_t>(info.st_size);
  bytes.resize(size + 1);  // one more byte than expected tells when the file grew meanwhile
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      // A file still growing while it is read is held to the same limit.
      if (filled > maxSize) return refuse(Failure::TooLarge, 0);
      bytes.resize(std::min<std::uint64_t>(bytes.size() * 2 + 4096, maxSize + 1));
    }
    ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return refuse(readFailureFromErrno(errno), errno);
    }
    filled += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (filled > maxSize) return failure(Failure::TooLarge, path, 0, Operation::Read);
  bytes.resize(filled);
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

namespace {

bool refusesNewFiles(int err) { return err == EACCES || err == EPERM || err == EROFS; }

// Opens the existing file for an in-place rewrite and makes sure the new
// length fits on the disk before a byte of the old content is touched.
int openForRewrite(const fs::path& file, std::size_t size, int& err) {
  int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    err = errno;
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    err = errno ? errno : EISDIR;
    ::close(fd);
    return -1;
  }
#ifdef FALLOC_FL_KEEP_SIZE
  // The space is reserved without changing the file's length, so a rewrite
  // that is never committed leaves the file as it was. Not every file system
  // can reserve space; those fail on the write instead.
  if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 &&
      errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) {
    err = errno;
    ::close(fd);
    return -1;
  }
#else
  (void)size;
#endif
  return fd;
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
    if (!S_ISREG(info.st_mode)) return failure(Failure::NotARegularFile, target);
    // The new bytes are built from what was read; a file this user cannot
    // read was read as empty, and replacing it would lose its contents.
    if (::access(realTarget.c_str(), R_OK) != 0 && errno == EACCES) return failure(Failure::Unreadable, target, EACCES);
    // Without any write bit the player marked the file read-only on purpose;
    // root could still replace it, so the bits are checked, not just access().
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return failure(Failure::ReadOnly, target);
    if (::access(realTarget.c_str(), W_OK) != 0) {
      int err = errno;
      return failure(err == EROFS ? Failure::ReadOnly : Failure::AccessDenied, target, err);
    }
  }

  auto rewriteInPlace = [&]() -> ResultOr<StagedFile> {
    int err = 0;
    int fd = openForRewrite(realTarget, bytes.size(), err);
    if (fd < 0) return failureFromErrno(target, err);
    return {StagedFile(target, fd, std::string(bytes)), Result::success(target)};
  };
  // A new file would belong to whoever saves, and would leave the file's other
  // names with the old content: a game folder shared between accounts keeps
  // its owner and its links only when the file itself is rewritten.
  if (exists && (info.st_uid != ::geteuid() || info.st_nlink > 1)) return rewriteInPlace();

  std::string hidden(1, '.');
  hidden.append(realTarget.filename().string()).append(".XXXXXX");
  std::string pattern = (folder / hidden).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    const int err = errno;
    // A folder that the player may not write to can still hold a file they may.
    if (exists && refusesNewFiles(err)) return rewriteInPlace();
    return failureFromErrno(target, err);
  }
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
  if (m_inPlaceFd >= 0) {
    const int fd = std::exchange(m_inPlaceFd, -1);
    std::string bytes = std::exchange(m_bytes, {});
    int err = 0;
    if (::lseek(fd, 0, SEEK_SET) != 0 || !writeAll(fd, bytes) ||
        ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0) {
      err = errno;
    }
    if (::close(fd) != 0 && err == 0) err = errno;
    return err ? failureFromErrno(m_target, err) : Result::success(m_target);
  }
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

void StagedFile::release() {
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
  if (m_inPlaceFd >= 0) ::close(m_inPlaceFd);
  m_temp.clear();
  m_inPlaceFd = -1;
}

StagedFile::~StagedFile() { release(); }

#else  // _WIN32

ResultOr<std::string> readFile(const fs::path& path, std::uint64_t maxSize) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) return failure(Failure::NotFound, path, 0, Operation::Read);
  if (!fs::is_regular_file(status)) return failure(Failure::NotARegularFile, path, 0, Operation::Read);
  if (fs::file_size(path, ec) > maxSize) return failure(Failure::TooLarge, path, 0, Operation::Read);
  std::ifstream in(path, std::ios::binary);
  if (!in) return failure(Failure::Unreadable, path, 0, Operation::Read);
  std::string bytes;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > maxSize) return failure(Failure::TooLarge, path, 0, Operation::Read);
  }
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

void StagedFile::release() {
  if (!m_temp.empty()) DeleteFileW(m_temp.c_str());
  m_temp.clear();
}

StagedFile::~StagedFile() { release(); }

#endif

StagedFile::StagedFile(fs::path target, fs::path realTarget, fs::path temp)
    : m_target(std::move(target)), m_realTarget(std::move(realTarget)), m_temp(std::move(temp)) {}

StagedFile::StagedFile(fs::path target, int inPlaceFd, std::string bytes)
    : m_target(std::move(target)), m_inPlaceFd(inPlaceFd), m_bytes(std::move(bytes)) {}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_target(std::move(other.m_target)),
      m_realTarget(std::move(other.m_realTarget)),
      m_temp(std::exchange(other.m_temp, {})),
      m_inPlaceFd(std::exchange(other.m_inPlaceFd, -1)),
      m_bytes(std::move(other.m_bytes)) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
  if (this != &other) {
    release();
    m_target = std::move(other.m_target);
    m_realTarget = std::move(other.m_realTarget);
    m_temp = std::exchange(other.m_temp, {});
    m_inPlaceFd = std::exchange(other.m_inPlaceFd, -1);
    m_bytes = std::move(other.m_bytes);
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
