// Run at build time: writes the shell completion's data or the manual page,
// both from the tables and the usage text of the command line itself.
#include <iostream>
#include <string_view>

#include "cli/completion.h"
#include "cli/manual_page.h"
#include "cli/program_options.h"

int main(int argc, char** argv) {
  using namespace valdor::cli;
  const std::string_view what = argc > 1 ? argv[1] : "";
  if (what == "completion" && argc == 2) {
    std::cout << completionData();
    return 0;
  }
  if (what == "manual" && argc == 4) {
    std::cout << manualPage({"valdor3-tuning", "change the graphics, performance and memory settings of Valdor 3",
                             argv[2], argv[3]},
                            usageText());
    return 0;
  }
  std::cerr << "usage: valdor3-docs completion | manual VERSION DATE\n";
  return 2;
}
