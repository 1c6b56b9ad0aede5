#include "main_window/start_logos.h"

#include <array>

#include "config/commit.h"
#include "config/environment.h"

namespace valdor::main_window {

static_assert(kAllStartLogos.size() == 78 && kFirstStartLogo.size() == 14);

std::string_view StartLogoBytes(StartLogos logos) {
  return logos == StartLogos::All ? kAllStartLogos : kFirstStartLogo;
}

std::filesystem::path LogoIniPath(const app::ConfigPaths& paths) {
  return config::joinPath(app::folderOfFile(paths.engineIni), "logo.ini");
}

config::Result WriteStartLogos(const app::ConfigPaths& paths, StartLogos logos) {
  // Under the game folder's write lock, like every other save of the tool.
  const std::array<std::filesystem::path, 1> files{LogoIniPath(paths)};
  auto lock = config::WriteLock::acquire(files);
  if (!lock) return lock.result();
  const std::array<config::Replacement, 1> logoFile{{{files.front(), StartLogoBytes(logos)}}};
  return config::replaceTogether(*lock, logoFile);
}

}  // namespace valdor::main_window
