#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialogs.h"
#include "i18n/translator.h"

// Whether the game of an installation is running. The game rewrites
// UserOptions.ini as it exits, so a save made while it runs is undone without
// a word; every write of the game's files asks (or, on the command line,
// refuses) first.
namespace valdor::app {

inline constexpr std::string_view kGameExecutableName = "valdor3.exe";

// What the process list tells about one process.
struct ProcessInfo {
  std::filesystem::path executable;      // the image file; empty when unknown
  std::vector<std::string> commandLine;  // as the process shows it (Wine rewrites it); empty on Windows
};

// The processes of this machine, behind an interface so tests can name their own.
class ProcessSource {
 public:
  virtual ~ProcessSource() = default;
  virtual std::vector<ProcessInfo> processes() const = 0;
};

// /proc on Linux (the processes this user may look at), the Toolhelp snapshot on Windows.
std::shared_ptr<const ProcessSource> systemProcesses();

// The game's executable in a game folder: valdor3.exe, or the entry whose
// name differs from it only in case.
std::filesystem::path gameExecutableIn(const std::filesystem::path& gameFolder);

// Whether a path as a process shows it names the executable: the file name
// compared without regard to case, the folder as the same place. A Windows
// path ("C:\...", "Z:\...") is taken through `prefix`'s drives (Z: is the root
// without one); when its drive cannot be resolved, its folders without the
// drive have to be the end of the executable's folder.
bool namesExecutable(std::string_view shown, const std::filesystem::path& executable,
                     const std::optional<std::filesystem::path>& prefix);

// Whether a process is the game: its image file is the executable, or its
// first argument (or, for a Wine or Proton loader, a later one) names it.
bool isGameProcess(const ProcessInfo& process, const std::filesystem::path& executable,
                   const std::optional<std::filesystem::path>& prefix);

// Whether any process is the game of the executable; the Wine prefix the
// executable lies in, if any, resolves drive letters.
bool gameIsRunning(const ProcessSource& source, const std::filesystem::path& executable);

// Before a window writes the game's files: true when the game is not running
// or the player answered Yes to saving anyway.
bool mayWriteGameFiles(const ProcessSource& source, const std::filesystem::path& executable, Dialogs& dialogs,
                       const i18n::Translator& translator);

}  // namespace valdor::app
