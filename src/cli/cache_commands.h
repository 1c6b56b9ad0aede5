#pragma once

#include <ostream>
#include <span>
#include <string>

#include "app/settings_store.h"
#include "cli/program_options.h"

// The cache budgets without the window: show them with their totals, set some
// by key, scale a column or restore the defaults, each saved as the cache
// window's save button saves.
namespace valdor::cli {

// `cache show`, `cache set KEY=BYTES...`, `cache scale COLUMN PERCENT` and
// `cache defaults` (args without the word "cache"). Exit codes as runCommand.
int runCacheCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                    std::ostream& out, std::ostream& err);

// The columns' names as `cache scale` takes them: "Common, Low, Medium, High".
std::string cacheColumnNames();

// The usage text's paragraph about the cache commands.
std::string cacheUsage();

}  // namespace valdor::cli
