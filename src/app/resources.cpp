#include "app/resources.h"

#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "config/environment.h"
#include "config/text.h"
#include "i18n/translator.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace valdor::res {
extern const std::string_view kCreditsMusic;
}

namespace valdor::app {

namespace fs = std::filesystem;

namespace {

struct Resource {
  int id;
  std::string_view type;
  const std::string_view* bytes;
};

const Resource kResources[] = {
    {kTranslationResourceId, kTranslationResourceType, &res::kTranslationTable},
    {kMusicResourceId, kMusicResourceType, &res::kCreditsMusic},  // the credits window's tune
};

using config::Failure;
using config::Result;

#ifndef _WIN32

Result systemFailure(const fs::path& where, int err) {
  return Result::failed(Failure::Other, where, std::strerror(err));
}

// The tool's own folder: made 0700 when missing and then taken only when it
// is a real folder (a planted link would lead our files elsewhere) of this
// user that no one else may enter (or another user could swap our table).
// An existing folder is never chmod'ed: it may not be ours to change.
Result ownFolder(const fs::path& folder) {
  std::error_code ignored;
  fs::create_directories(folder.parent_path(), ignored);  // a cache folder not made yet
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return systemFailure(folder, errno);
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return systemFailure(folder, errno);
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
    return Result::failed(Failure::NotPrivate, folder);
  }
  return Result::success(folder);
}

// A folder the player named: made 0700 when missing, else used with the
// permissions the player gave it (it may be a shared or a project folder).
Result namedFolder(const fs::path& folder) {
  std::error_code ignored;
  fs::create_directories(folder.parent_path(), ignored);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return systemFailure(folder, errno);
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return systemFailure(folder, errno);
  if (!S_ISDIR(info.st_mode)) return Result::failed(Failure::NotPrivate, folder);
  return Result::success(folder);
}

// An extracted file found from an earlier run is used when it is a regular
// file of this user that no one else could have changed.
bool isOwnFile(const fs::path& file) {
  struct stat info {};
  return ::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Written to a new temporary file (O_EXCL: never through a planted link) and
// renamed over the name, which replaces a link instead of following it; a
// second copy of the tool never reads half a file.
Result writeOwnFile(const fs::path& file, std::string_view bytes) {
  std::string pattern = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return systemFailure(file, errno);
  int err = 0;
  for (std::string_view rest = bytes; !rest.empty() && err == 0;) {
    ssize_t n = ::write(fd, rest.data(), rest.size());
    if (n < 0 && errno != EINTR) err = errno;
    if (n > 0) rest.remove_prefix(static_cast<std::size_t>(n));
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(pattern.c_str(), file.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(pattern.c_str());
    return systemFailure(file, err);
  }
  return Result::success(file);
}

#endif

}  // namespace

std::optional<std::string_view> findResource(int id, std::string_view type) {
  for (const Resource& resource : kResources) {
    if (resource.id == id && config::equalsIgnoreCase(resource.type, type)) return *resource.bytes;
  }
  return std::nullopt;
}

PrivatePlace choosePrivateFolder(const std::optional<fs::path>& stateDir) {
  PrivatePlace place;
#ifdef _WIN32
  // The user's temporary folder is private to the user by its ACL.
  std::error_code ec;
  const fs::path folder = stateDir ? *stateDir : fs::temp_directory_path(ec) / "valdor3-tuning";
  fs::create_directories(folder, ec);
  if (fs::is_directory(folder, ec)) {
    place.folder = folder;
  } else {
    place.refused.push_back(Result::failed(Failure::NotPrivate, folder));
  }
#else
  if (stateDir) {
    if (Result checked = namedFolder(*stateDir)) {
      place.folder = *stateDir;
    } else {
      place.refused.push_back(std::move(checked));
    }
    return place;
  }
  std::vector<fs::path> candidates;
  std::error_code ec;
  if (fs::path runtime = config::environmentPath("XDG_RUNTIME_DIR"); !runtime.empty() && fs::is_directory(runtime, ec)) {
    candidates.push_back(runtime / "valdor3-tuning");
  }
  fs::path cache = config::environmentPath("XDG_CACHE_HOME");
  if (cache.empty()) cache = config::homeFolder() / ".cache";
  candidates.push_back(cache / "valdor3-tuning");
  for (const fs::path& candidate : candidates) {
    // A relative folder would depend on where the tool was started.
    if (!candidate.is_absolute()) continue;
    if (Result checked = ownFolder(candidate)) {
      place.folder = candidate;
      break;
    } else {
      place.refused.push_back(std::move(checked));
    }
  }
#endif
  return place;
}

fs::path privateFolder(const std::optional<fs::path>& stateDir) { return choosePrivateFolder(stateDir).folder; }

config::Result ExtractResourceToTemp(int id, std::string_view type, std::string_view fileName,
                                     const fs::path& folder) {
  if (folder.empty()) return Result::failed(Failure::NotPrivate, fs::path(fileName));
  const fs::path path = folder / fileName;
  auto bytes = findResource(id, type);
#ifdef _WIN32
  if (auto existing = config::readFile(path)) return existing.result();
  if (!bytes) return Result::failed(Failure::NotFound, path, "no such resource");
  return config::replaceFile(path, *bytes);
#else
  // A file already there is used as it is, so a player may keep an edited table.
  if (isOwnFile(path)) {
    if (auto existing = config::readFile(path)) return existing.result();
  }
  if (!bytes) return Result::failed(Failure::NotFound, path, "no such resource");
  return writeOwnFile(path, *bytes);
#endif
}

void removeExtracted(const fs::path& file) {
  if (file.empty()) return;
#ifdef _WIN32
  std::error_code ec;
  if (fs::is_regular_file(fs::symlink_status(file, ec))) fs::remove(file, ec);
#else
  struct stat info {};
  if (::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) ::unlink(file.c_str());
#endif
}

}  // namespace valdor::app
