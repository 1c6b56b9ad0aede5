#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/program_options.h"

// For the tests of the command line only.
namespace valdor::cli {

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The program as the shell calls it, short of opening the editor.
inline Outcome run(const std::vector<std::string>& args) {
  Outcome result;
  std::ostringstream out;
  std::ostringstream err;
  const auto parsed = parseProgramOptions(args);
  if (!parsed.options) {
    result.exitCode = kExitBadUsage;
    result.err = parsed.error;
    return result;
  }
  result.exitCode = runCommandLine(*parsed.options, out, err).value_or(-1);
  result.out = out.str();
  result.err = err.str();
  return result;
}

}  // namespace valdor::cli
