#pragma once

#include <ostream>
#include <span>
#include <string>

#include "app/settings_store.h"
#include "cli/program_options.h"

// The main window's settings without the window: show them, set some by name,
// or restore the defaults, each saved as the window's save button saves.
namespace valdor::cli {

// `main show`, `main set KEY=VALUE...` and `main defaults` (args without the
// word "main"). Values are shown and taken in --language, English when none is
// given. Exit codes as runCommand.
int runMainCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                   std::ostream& out, std::ostream& err);

// The usage text's paragraph about the main commands.
std::string mainUsage();

}  // namespace valdor::cli
