#include "cli/logo_backup_commands.h"

#include <filesystem>
#include <string_view>

#include "i18n/file_messages.h"
#include "app/startup.h"
#include "cli/command_line.h"
#include "i18n/translator.h"
#include "main_window/backups.h"
#include "main_window/start_logos.h"

namespace valdor::cli {

namespace {

namespace mw = main_window;

// Failures are told in the language asked for, else in the editor's, German
// when that names none, as the editor would tell them.
int fail(std::ostream& err, const std::string& message) {
  err << message << "\n";
  return kExitFailed;
}

}  // namespace

int runLogosCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                    std::ostream& err) {
  if (args.size() != 1 || (args[0] != "remove" && args[0] != "restore")) {
    return badUsage(err, "logos takes remove or restore");
  }
  const auto installation = knownInstallation(options, store, err);
  if (!installation) return kExitFailed;
  const auto logos = args[0] == "restore" ? mw::StartLogos::All : mw::StartLogos::FirstOnly;
  const config::Result result = mw::WriteStartLogos(installation->paths, logos);
  if (!result) return fail(err, i18n::failureMessage(messageTranslator(options, store), result));
  return kExitDone;
}

int runBackupCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                     std::ostream& err) {
  if (args.size() != 2 || (args[0] != "create" && args[0] != "load") || args[1].empty()) {
    return badUsage(err, "backup takes create FILE or load FILE");
  }
  const auto installation = knownInstallation(options, store, err);
  if (!installation) return kExitFailed;
  const std::filesystem::path file(args[1]);
  const config::Result result = args[0] == "create"
                                    ? mw::CreateBackupFile(installation->paths, mw::BackupTarget(file))
                                    : mw::LoadBackupFile(installation->paths, file);
  if (!result) return fail(err, i18n::failureMessage(messageTranslator(options, store), result));
  return kExitDone;
}

}  // namespace valdor::cli
