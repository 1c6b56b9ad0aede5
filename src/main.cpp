#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

#include "ui/qt_dialogs.h"
#include "app/settings_store.h"
#include "cli/command_line.h"
#include "cli/program_options.h"
#include "main_window/main_dlg.h"

int main(int argc, char** argv) {
  using namespace valdor;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto parsed = cli::parseProgramOptions(args);
  if (!parsed.options) {
    std::cerr << parsed.error;
    return 2;
  }
  // The command line works without a display: Qt starts only for the editor.
  if (auto exitCode = cli::runCommandLine(*parsed.options, std::cout, std::cerr)) return *exitCode;

  QApplication application(argc, argv);
  auto store = app::makeSettingsStore(parsed.options->stateDir);
  ui::QtDialogs dialogs;
  const auto displayModes = platform::makeSystemDisplayModeSource();
  main_window::CTuningDlg window(*store, dialogs, cli::startupOptions(*parsed.options), *displayModes);
  dialogs.setOwner(&window);
  if (window.OnInitDialog()) window.exec();
  // Nothing is saved on the way out, however the window was closed.
  return 0;
}
