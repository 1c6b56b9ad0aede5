#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "app/settings_store.h"
#include "cli/program_options.h"

// The commands that work without a window (and without a display). Output is
// UTF-8 for the terminal, except values read from INI files, which are given
// as the file holds them.
namespace valdor::cli {

// Help, version or a command; nullopt when the editor is to open instead.
std::optional<int> runCommandLine(const ProgramOptions& options, std::ostream& out, std::ostream& err);

// A command (options.command is not empty) with the given store of the
// tool's own values. Exit codes: 0 done, 1 failed, 2 bad usage.
int runCommand(const ProgramOptions& options, app::SettingsStore& store, std::ostream& out, std::ostream& err);

}  // namespace valdor::cli
