#include "cli/wine_commands.h"

#include "app/startup.h"
#include "wine/wine_discovery.h"
#include "cli/command_line.h"

namespace valdor::cli {

int locateAll(const ProgramOptions& options, std::ostream& out, std::ostream& err) {
  const auto startup = startupOptions(options);
  // The start-up searches only on Linux; asked for by name, the search runs anywhere.
  const auto environment = startup.wine.value_or(wine::DiscoveryEnvironment::fromProcess());
  const auto found = wine::findWineInstallations(environment);
  if (found.empty()) {
    err << "No installation of the game found under Wine or Proton (Steam, Lutris, Heroic, Bottles, "
           "$WINEPREFIX, ~/.wine).\n";
    return kExitFailed;
  }
  for (std::size_t i = 0; i < found.size(); ++i) {
    const auto& installation = found[i];
    const auto paths = app::plannedPaths(startup, installation.gameFolder, installation.documents);
    if (i > 0) out << "\n";
    out << "gameFolder=" << installation.gameFolder.string() << "\n"
        << "prefix=" << installation.prefix.string() << "\n"
        << "source=" << wine::sourceName(installation.source) << "\n"
        << "translationFile=" << paths.translationFile.string() << "\n"
        << "userOptionsIni=" << paths.userOptionsIni.string() << "\n"
        << "engineIni=" << paths.engineIni.string() << "\n"
        << "debugIni=" << paths.debugIni.string() << "\n";
  }
  return kExitDone;
}

}  // namespace valdor::cli
