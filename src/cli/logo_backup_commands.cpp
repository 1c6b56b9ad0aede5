#include "cli/logo_backup_commands.h"

#include <filesystem>
#include <string_view>
#include <vector>

#include "app/safety_copies.h"

#include "i18n/file_messages.h"
#include "app/startup.h"
#include "cli/command_line.h"
#include "i18n/cp1252.h"
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

// One block per entry: its number, time and kind, then each file it holds
// and the backup the editor can load.
void printHistory(const std::vector<app::SafetyCopy>& entries, std::ostream& out) {
  for (const app::SafetyCopy& entry : entries) {
    out << "#" << entry.number << "  " << entry.time;
    if (entry.undoes) out << "  (before undoing #" << *entry.undoes << ")";
    out << "\n";
    for (const app::SafetyCopyFile& file : entry.files) out << "  " << config::pathText(file.original) << "\n";
    if (!entry.backup.empty()) out << "  backup: " << config::pathText(entry.backup) << "\n";
  }
}

int undo(app::SafetyCopies& copies, const i18n::Translator& translator, std::ostream& out, std::ostream& err) {
  const app::UndoOutcome outcome = copies.undo();
  if (!outcome.undone) return fail(err, i18n::cp1252ToUtf8(translator.message("MESSAGE_NOSAFETYCOPIES")));
  if (!outcome.result) return fail(err, i18n::failureMessage(translator, outcome.result));
  std::string files;
  for (const app::SafetyCopyFile& file : outcome.undone->files) {
    if (!files.empty()) files += "\n";
    files += config::pathText(file.original);
  }
  out << translator.format("MESSAGE_UNDONE", {{"time", outcome.undone->time}, {"files", files}}) << "\n";
  return kExitDone;
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
                     std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "history" || args[0] == "undo")) {
    const auto installation = knownInstallation(options, store, err);
    if (!installation) return kExitFailed;
    if (args[0] == "history") {
      printHistory(installation->safetyCopies->history(), out);
      return kExitDone;
    }
    return undo(*installation->safetyCopies, messageTranslator(options, store), out, err);
  }
  const bool create = !args.empty() && args[0] == "create";
  const bool force = create && args.size() == 3 && args[1] == "--force";
  // A file named --force is written as ./--force, so a forgotten FILE is
  // never taken for one.
  if (args.size() != (force ? 3u : 2u) || (!create && args[0] != "load") || args.back().empty() ||
      args.back() == "--force") {
    return badUsage(err, "backup takes create [--force] FILE, load FILE, history or undo");
  }
  const auto installation = knownInstallation(options, store, err);
  if (!installation) return kExitFailed;
  const std::filesystem::path file(args.back());
  // Unlike the editor, the command line asks nobody before replacing a file.
  const config::Result result =
      create ? mw::CreateBackupFile(installation->paths, mw::BackupTarget(file),
                                    force ? mw::ExistingBackup::Replace : mw::ExistingBackup::Keep)
             : mw::LoadBackupFile(installation->paths, file);
  if (!result) return fail(err, i18n::failureMessage(messageTranslator(options, store), result));
  return kExitDone;
}

}  // namespace valdor::cli
