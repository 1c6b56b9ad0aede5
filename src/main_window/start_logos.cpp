#include "main_window/start_logos.h"

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
  return config::replaceFile(LogoIniPath(paths), StartLogoBytes(logos));
}

}  // namespace valdor::main_window
