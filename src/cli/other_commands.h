#pragma once

#include <ostream>
#include <span>
#include <string>

#include "app/settings_store.h"
#include "cli/program_options.h"

// The other settings window's values without the window: show them, set some
// by key, or restore the defaults, each saved as the window's save button saves.
namespace valdor::cli {

// `other show`, `other set KEY=VALUE...` and `other defaults` (args without
// the word "other"). Switches are shown in --language, English when none is
// given, and taken in English or German. Exit codes as runCommand.
int runOtherCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                    std::ostream& out, std::ostream& err);

// The usage text's paragraph about the other commands.
std::string otherUsage();

}  // namespace valdor::cli
