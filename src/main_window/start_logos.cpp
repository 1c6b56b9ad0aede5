#include "main_window/start_logos.h"

#include "config/environment.h"
#include "i18n/file_messages.h"

namespace valdor::main_window {

static_assert(kAllStartLogos.size() == 78 && kFirstStartLogo.size() == 14);

namespace {

void askAndWrite(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs,
                 std::string_view questionKey, StartLogos logos) {
  if (!dialogs.askYesNo(translator.message(questionKey))) return;
  const config::FileResult result = WriteStartLogos(paths, logos);
  if (!result) dialogs.showMessage(i18n::writeFailureMessage(translator, result));
}

}  // namespace

std::string_view StartLogoBytes(StartLogos logos) {
  return logos == StartLogos::All ? kAllStartLogos : kFirstStartLogo;
}

std::filesystem::path LogoIniPath(const app::ConfigPaths& paths) {
  return config::joinPath(app::folderOfFile(paths.engineIni), "logo.ini");
}

config::FileResult WriteStartLogos(const app::ConfigPaths& paths, StartLogos logos) {
  return config::replaceFile(LogoIniPath(paths), StartLogoBytes(logos));
}

void RestoreStartLogos(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs) {
  askAndWrite(paths, translator, dialogs, "MESSAGE_RESTORESTARTLOGOS", StartLogos::All);
}

void RemoveStartLogos(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs) {
  askAndWrite(paths, translator, dialogs, "MESSAGE_REMOVESTARTLOGOS", StartLogos::FirstOnly);
}

}  // namespace valdor::main_window
