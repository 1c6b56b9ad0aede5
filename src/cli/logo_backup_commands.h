#pragma once

#include <ostream>
#include <span>
#include <string>

#include "app/settings_store.h"
#include "cli/program_options.h"

// The start-logo switch and the settings backups without the window: each
// writes exactly what its button writes once the player has answered.
namespace valdor::cli {

// `logos remove` and `logos restore` (args without the word "logos").
// Exit codes as runCommand.
int runLogosCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                    std::ostream& err);

// `backup create [--force] FILE` and `backup load FILE` (args without the
// word "backup"); create appends ".vib" to a FILE without extension, replaces
// an existing one only with --force and never writes over an edited file.
// `backup history` lists the safety copies on out, newest first; `backup undo`
// puts back the files of the newest save not yet undone and says so on out.
// Exit codes as runCommand.
int runBackupCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                     std::ostream& out, std::ostream& err);

}  // namespace valdor::cli
