#pragma once

#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "app/config_paths.h"
#include "app/safety_copies.h"
#include "app/settings_store.h"
#include "cli/program_options.h"
#include "i18n/translator.h"

// The commands that work without a window (and without a display). Output is
// UTF-8 for the terminal, except values read from INI files, which are given
// as the file holds them.
namespace valdor::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadUsage = 2;

// The program's arguments after its name, as UTF-8. On Windows they are
// taken from the wide command line: the narrow argv holds the ANSI code
// page's bytes and loses every character outside it.
std::vector<std::string> programArguments(int argc, char** argv);

// Lets a Windows console show the UTF-8 that std::cout and std::cerr carry,
// by handing it the text as UTF-16; output to a file or pipe stays UTF-8
// bytes. Does nothing elsewhere.
void prepareConsole();

// The program's standard output and error, made when first used. Making a
// C++ stream sets up the locale machinery, which would cost the editor half a
// megabyte of memory at every start for output it never writes.
class Console {
 public:
  std::ostream& out();
  std::ostream& err();
};

// The program's arguments parsed and carried out: the exit code of help,
// version, a command or a mistake (reported on the console), or the options
// the editor opens with when there is no command.
std::variant<int, ProgramOptions> runArguments(std::span<const std::string> args, Console& console);

// Whether the options open the editor: no help, version or command.
bool opensEditor(const ProgramOptions& options);

// Help, version or a command; nullopt when the editor is to open instead.
std::optional<int> runCommandLine(const ProgramOptions& options, std::ostream& out, std::ostream& err);

// A command (options.command is not empty) with the given store of the
// tool's own values. Exit codes: 0 done, 1 failed, 2 bad usage.
int runCommand(const ProgramOptions& options, app::SettingsStore& store, std::ostream& out, std::ostream& err);

// Prints what was wrong and the usage on err; gives kExitBadUsage.
int badUsage(std::ostream& err, std::string_view what);

// The language of messages about the player's files: --language, else the
// editor's stored language, else German.
i18n::Translator messageTranslator(const ProgramOptions& options, const app::SettingsStore& store);

// The language of the settings commands' output: --language, else English.
i18n::Translator translatorFor(const ProgramOptions& options);

// "from MIN to MAX" of the whole numbers a settings member of the variant
// `member` holds; "" for a member that holds no whole number.
template <typename... Pointers>
std::string wholeRangeOf(const std::variant<Pointers...>& member) {
  return std::visit(
      []<typename Record, typename Value>(Value Record::*) -> std::string {
        if constexpr (std::is_integral_v<Value>) {
          return "from " + std::to_string(std::numeric_limits<Value>::min()) + " to " +
                 std::to_string(std::numeric_limits<Value>::max());
        } else {
          return {};
        }
      },
      member);
}

// The names joined with ", ".
std::string joinedNames(const std::vector<std::string_view>& names);

// One KEY=VALUE argument, as the terminal gave it (UTF-8).
struct Assignment {
  std::string key;
  std::string value;
};

// The KEY=VALUE arguments of `command` (e.g. "main set"); nullopt, with the
// usage on err, when there are none or one has no "=".
std::optional<std::vector<Assignment>> parseAssignments(std::span<const std::string> args, std::string_view command,
                                                        std::string_view valueWord, std::ostream& err);

struct Installation {
  std::filesystem::path gameFolder;
  app::ConfigPaths paths;
  std::shared_ptr<app::SafetyCopies> safetyCopies;  // made before this run's first write of each game file
};

// The game folder and the paths as the editor would find them without asking;
// nullopt, with the message on err, when no game folder is known. From then
// on every save of the installation's files keeps a safety copy first.
std::optional<Installation> knownInstallation(const ProgramOptions& options, const app::SettingsStore& store,
                                              std::ostream& err);

}  // namespace valdor::cli
