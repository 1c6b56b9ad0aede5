#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/program_options.h"

// The command line without the editor: the same commands and exit codes as
// valdor3-tuning, for machines without Qt or a display.
int main(int argc, char** argv) {
  using namespace valdor;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto parsed = cli::parseProgramOptions(args);
  if (!parsed.options) {
    std::cerr << parsed.error;
    return cli::kExitBadUsage;
  }
  if (auto exitCode = cli::runCommandLine(*parsed.options, std::cout, std::cerr)) return *exitCode;
  return cli::badUsage(std::cerr, "this program has no editor: name a command, or run valdor3-tuning");
}
