#include "app/resources.h"

#include <system_error>

#include "config/environment.h"
#include "config/text.h"
#include "i18n/translator.h"

#ifndef _WIN32
#include <sys/stat.h>
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

void makePrivate(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
#ifndef _WIN32
  ::chmod(folder.c_str(), 0700);
#endif
}

}  // namespace

std::optional<std::string_view> findResource(int id, std::string_view type) {
  for (const Resource& resource : kResources) {
    if (resource.id == id && config::equalsIgnoreCase(resource.type, type)) return *resource.bytes;
  }
  return std::nullopt;
}

fs::path privateFolder(const std::optional<fs::path>& stateDir) {
  fs::path folder;
  if (stateDir) {
    folder = *stateDir;
  } else {
#ifdef _WIN32
    std::error_code ec;
    folder = fs::temp_directory_path(ec) / "valdor3-tuning";
#else
    std::error_code ec;
    fs::path runtime = config::environmentPath("XDG_RUNTIME_DIR");
    if (!runtime.empty() && fs::is_directory(runtime, ec)) {
      folder = runtime / "valdor3-tuning";
    } else {
      fs::path cache = config::environmentPath("XDG_CACHE_HOME");
      if (cache.empty()) cache = config::environmentPath("HOME") / ".cache";
      folder = cache / "valdor3-tuning";
    }
#endif
  }
  makePrivate(folder);
  return folder;
}

config::Result ExtractResourceToTemp(int id, std::string_view type, std::string_view fileName,
                                     const fs::path& folder) {
  const fs::path path = folder / fileName;
  // A file already there is used as it is, so a player may keep an edited table.
  if (auto existing = config::readFile(path)) return existing.result();
  auto bytes = findResource(id, type);
  if (!bytes) return config::Result::failed(config::Failure::NotFound, path, "no such resource");
  // Replaced atomically: a second copy of the tool never reads half a table.
  return config::replaceFile(path, *bytes);
}

}  // namespace valdor::app
