#pragma once

#include <ostream>
#include <span>
#include <string>

#include "app/running_game.h"
#include "app/settings_store.h"
#include "cli/program_options.h"

// The command line's side of the running-game guard: a command that writes
// the game's files is refused while the game runs, unless --force is given.
namespace valdor::cli {

// Whether a command (its words after the options) writes the game's files:
// every set, scale, defaults, the logo commands, backup load, and ini set on
// a file of the known installation.
bool writesGameFiles(std::span<const std::string> command, const ProgramOptions& options,
                     const app::SettingsStore& store);

// False, with the reason on err, when the command writes the game's files,
// the game runs and --force was not given; true to carry on.
bool mayRunWhileGameRuns(std::span<const std::string> command, const ProgramOptions& options,
                         const app::SettingsStore& store, const app::ProcessSource& processes, std::ostream& err);

}  // namespace valdor::cli
