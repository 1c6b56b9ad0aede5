#pragma once

#include <ostream>

#include "cli/program_options.h"

// The installations of the game under Wine and Proton, as the start-up
// searches them when no game folder is stored.
namespace valdor::cli {

// locate --all: one block per installation found (game folder, prefix, where
// it was found and the paths the editor would use), separated by blank
// lines. Exit 1 with a message on err when none is found.
int locateAll(const ProgramOptions& options, std::ostream& out, std::ostream& err);

}  // namespace valdor::cli
