#include <string>
#include <variant>
#include <vector>

#include "cli/command_line.h"

// The command line without the editor: the same commands and exit codes as
// valdor3-tuning, for machines without Qt or a display.
int main(int argc, char** argv) {
  using namespace valdor;
  cli::prepareConsole();
  const std::vector<std::string> args = cli::programArguments(argc, argv);
  cli::Console console;
  const auto outcome = cli::runArguments(args, console);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  return cli::badUsage(console.err(), "this program has no editor: name a command, or run valdor3-tuning");
}
