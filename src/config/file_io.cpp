#include "config/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>
#include <vector>

#include "config/commit.h"
#include "config/environment.h"

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
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

fs::path pathFromText(std::string_view text) { return pathFromUtf8(text); }

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
#endif

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

Result failureFromError(const fs::path& path, DWORD err) {
  switch (err) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DIRECTORY:
      return failure(Failure::FolderMissing, path);
    case ERROR_ACCESS_DENIED:
      return failure(Failure::AccessDenied, path);
    case ERROR_WRITE_PROTECT:
      return failure(Failure::ReadOnly, path);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return failure(Failure::DiskFull, path);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:  // the old file could not go: someone holds it open
      return failure(Failure::InUse, path);
    default:
      return Result::failed(Failure::Other, path, "error " + std::to_string(err));
  }
}

Result failureFromLastError(const fs::path& path) { return failureFromError(path, GetLastError()); }

// The file a symbolic link or junction leads to, so that replacing it keeps
// the link, as on other systems. A plain name is left as given.
ResultOr<fs::path> finalPathOf(const fs::path& target) {
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return {target, Result::success(target)};
  HANDLE handle = CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  // A link that leads nowhere is not replaced by a file of its own.
  if (handle == INVALID_HANDLE_VALUE) return failureFromLastError(target);
  std::wstring final(MAX_PATH, L'\0');
  DWORD size = GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
  if (size >= final.size()) {
    final.resize(size + 1);
    size = GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
  }
  const DWORD err = GetLastError();
  CloseHandle(handle);
  if (size == 0 || size >= final.size()) return failureFromError(target, err);
  final.resize(size);
  if (final.starts_with(L"\\\\?\\UNC\\")) {
    final.replace(0, 8, L"\\\\");
  } else if (final.starts_with(L"\\\\?\\")) {
    final.erase(0, 4);
  }
  return {fs::path(final), Result::success(target)};
}

// Whether the file can be opened as wanted while others have it open: the
// game may hold it without sharing it.
Result checkOpen(const fs::path& file, DWORD access, Failure denied, const fs::path& target) {
  HANDLE handle = CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return Result::success(target);
  }
  const DWORD err = GetLastError();
  if (err == ERROR_ACCESS_DENIED) return failure(denied, target);
  return failureFromError(target, err);
}

// The attributes a replaced file keeps; the others belong to the file system.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE;

}  // namespace

unsigned long moveStagedOver(const fs::path& staged, const fs::path& target) {
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // ReplaceFileW keeps the file's ACL, owner and streams; the attributes
    // are given to the staged copy first, as not every system copies them.
    const DWORD kept = attributes & kKeptAttributes;
    SetFileAttributesW(staged.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
    if (ReplaceFileW(target.c_str(), staged.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
      return ERROR_SUCCESS;
    const DWORD err = GetLastError();
    // A target that went away meanwhile is simply created.
    if (err != ERROR_FILE_NOT_FOUND) {
      SetFileAttributesW(staged.c_str(), FILE_ATTRIBUTE_HIDDEN);
      return err;
    }
  }
  // Visible before it is moved: a crash must never leave the game's file hidden.
  SetFileAttributesW(staged.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return ERROR_SUCCESS;
  const DWORD err = GetLastError();
  SetFileAttributesW(staged.c_str(), FILE_ATTRIBUTE_HIDDEN);
  return err;
}

ResultOr<StagedFile> StagedFile::prepare(const fs::path& target, std::string_view bytes) {
  auto resolved = finalPathOf(target);
  if (!resolved) return resolved.result();
  const fs::path realTarget = *resolved;
  const fs::path folder = folderOf(realTarget);
  const DWORD folderAttributes = GetFileAttributesW(folder.c_str());
  if (folderAttributes == INVALID_FILE_ATTRIBUTES || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return failure(Failure::FolderMissing, target);

  const DWORD attributes = GetFileAttributesW(realTarget.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return failure(Failure::NotARegularFile, target);
    // The player marked the file read-only on purpose.
    if (attributes & FILE_ATTRIBUTE_READONLY) return failure(Failure::ReadOnly, target);
    // The new bytes are built from what was read; a file this user cannot
    // read was read as empty, and replacing it would lose its contents.
    if (Result readable = checkOpen(realTarget, GENERIC_READ, Failure::Unreadable, target); !readable) return readable;
    if (Result writable = checkOpen(realTarget, GENERIC_WRITE, Failure::AccessDenied, target); !writable)
      return writable;
    // A file with more than one name is rewritten in place: a new file
    // would leave the other names with the old content.
    HANDLE file = CreateFileW(realTarget.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return failureFromLastError(target);
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1) {
      const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_BINARY);
      if (fd >= 0) return {StagedFile(target, fd, std::string(bytes)), Result::success(target)};
    }
    CloseHandle(file);
  }

  // Hidden, and named as on other systems, so that a copy left by a killed
  // writer neither shows in the game's folder nor survives the next save.
  constexpr std::wstring_view kLetters = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  fs::path temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    std::wstring name = L"." + realTarget.filename().wstring() + L".";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % kLetters.size()];
    temp = folder / name;
    file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
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
  if (m_inPlaceFd >= 0) {
    const int fd = std::exchange(m_inPlaceFd, -1);
    const std::string bytes = std::exchange(m_bytes, {});
    HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD written = 0;
    const bool ok = SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && SetEndOfFile(file) && FlushFileBuffers(file);
    Result result = ok ? Result::success(m_target) : failureFromLastError(m_target);
    _close(fd);
    return result;
  }
  if (m_temp.empty()) return failure(Failure::Other, m_target);
  if (const DWORD err = moveStagedOver(m_temp, m_realTarget); err != ERROR_SUCCESS) {
    Result result = failureFromError(m_target, err);
    DeleteFileW(m_temp.c_str());
    m_temp.clear();
    return result;
  }
  m_temp.clear();
  return Result::success(m_target);
}

void StagedFile::release() {
  if (!m_temp.empty()) DeleteFileW(m_temp.c_str());
  if (m_inPlaceFd >= 0) _close(m_inPlaceFd);
  m_temp.clear();
  m_inPlaceFd = -1;
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
