#include <QApplication>

#include <string>
#include <variant>
#include <vector>

#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"
#include "app/settings_store.h"
#include "cli/command_line.h"
#include "main_window/main_dlg.h"

int main(int argc, char** argv) {
  using namespace valdor;
  cli::prepareConsole();
  const std::vector<std::string> args = cli::programArguments(argc, argv);
  // The command line works without a display: Qt starts only for the editor.
  cli::Console console;
  auto outcome = cli::runArguments(args, console);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const cli::ProgramOptions& options = std::get<cli::ProgramOptions>(outcome);

  QApplication application(argc, argv);
  // Qt gives every window and message box with an empty title the
  // application's name, by default the executable's; players know the
  // product's. (The display name would instead be appended to every title.)
  QCoreApplication::setApplicationName(ui::toQString(main_window::kCaption));
  // Wayland desktops match the window to its menu entry, and so its icon, by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.valdor3tuning.valdor3tuning"));
  auto store = app::makeSettingsStore(options.stateDir);
  ui::QtDialogs dialogs;
  const auto displayModes = platform::makeSystemDisplayModeSource();
  main_window::CTuningDlg window(*store, dialogs, cli::startupOptions(options), *displayModes);
  dialogs.setOwner(&window);
  if (window.OnInitDialog()) window.exec();
  // Nothing is saved on the way out, however the window was closed.
  return 0;
}
