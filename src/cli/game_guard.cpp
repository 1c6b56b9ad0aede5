#include "cli/game_guard.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/startup.h"
#include "cli/command_line.h"
#include "config/file_io.h"

namespace valdor::cli {

namespace fs = std::filesystem;

namespace {

struct WriteCommand {
  std::string_view command;
  std::string_view verb;
};

// "backup create" writes only the backup file, the show commands nothing.
constexpr std::array kWriteCommands{
    WriteCommand{"main", "set"},     WriteCommand{"main", "defaults"},  WriteCommand{"other", "set"},
    WriteCommand{"other", "defaults"}, WriteCommand{"cache", "set"},    WriteCommand{"cache", "scale"},
    WriteCommand{"cache", "defaults"}, WriteCommand{"logos", "remove"}, WriteCommand{"logos", "restore"},
    WriteCommand{"backup", "load"},
};

std::optional<fs::path> knownGameFolder(const ProgramOptions& options, const app::SettingsStore& store) {
  return app::knownGameFolder(store, startupOptions(options));
}

bool liesIn(const fs::path& file, const fs::path& folder) {
  std::error_code ec;
  const auto inner = fs::weakly_canonical(file, ec);
  const auto outer = fs::weakly_canonical(folder, ec);
  if (ec) return false;
  const auto [end, rest] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
  return end == outer.end();
}

// The ini command's file among the arguments: after its "--name=" options.
std::optional<fs::path> iniSetFile(std::span<const std::string> command) {
  for (std::size_t i = 2; i < command.size(); ++i) {
    if (command[i] == "--") {
      if (i + 1 == command.size()) return std::nullopt;
      return config::pathFromText(command[i + 1]);
    }
    if (!command[i].starts_with('-')) return config::pathFromText(command[i]);
  }
  return std::nullopt;
}

}  // namespace

bool writesGameFiles(std::span<const std::string> command, const ProgramOptions& options,
                     const app::SettingsStore& store) {
  if (command.size() < 2) return false;
  const bool listed = std::any_of(kWriteCommands.begin(), kWriteCommands.end(), [&](const WriteCommand& write) {
    return command[0] == write.command && command[1] == write.verb;
  });
  if (listed) return true;
  if (command[0] != "ini" || command[1] != "set") return false;
  // ini set writes any file; only the game's own are guarded.
  const auto file = iniSetFile(command);
  const auto folder = knownGameFolder(options, store);
  if (!file || !folder) return false;
  if (liesIn(*file, *folder)) return true;
  const auto startup = startupOptions(options);
  const auto paths = app::plannedPaths(startup, *folder, app::gameDocumentsFolder(store, startup, *folder));
  std::error_code ec;
  return fs::equivalent(*file, paths.userOptionsIni, ec);
}

bool mayRunWhileGameRuns(std::span<const std::string> command, const ProgramOptions& options,
                         const app::SettingsStore& store, const app::ProcessSource& processes, std::ostream& err) {
  if (options.force || !writesGameFiles(command, options, store)) return true;
  // Without a known installation the command itself says so.
  const auto folder = knownGameFolder(options, store);
  if (!folder) return true;
  const auto executable = app::gameExecutableIn(*folder);
  if (!app::gameIsRunning(processes, executable)) return true;
  const auto translator = messageTranslator(options, store);
  err << translator.format("MESSAGE_GAMERUNNINGREFUSED", {{"file", config::pathText(executable)}}) << "\n";
  return false;
}

}  // namespace valdor::cli
