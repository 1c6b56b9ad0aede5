#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"

// valdor3-tuning [OPTIONS] [COMMAND ...]
namespace valdor::cli {

struct ProgramOptions {
  std::optional<std::filesystem::path> gameDir;
  std::optional<std::filesystem::path> documentsDir;
  std::optional<std::filesystem::path> stateDir;
  std::optional<std::string> language;  // "deutsch" or "english": the command line's messages
  bool force = false;  // write the game's files even while the game runs
  bool help = false;
  bool version = false;
  std::vector<std::string> command;  // the command and its arguments; empty opens the editor
};

struct ParsedOptions {
  std::optional<ProgramOptions> options;
  std::string error;  // what was wrong, when options is empty
};

// The options up to the first word that is not an option (or after "--"),
// which begins the command; the command's own arguments are left alone.
ParsedOptions parseProgramOptions(std::span<const std::string> args);

std::string usageText();

// The options' names, for the shell's completion.
struct OptionNames {
  std::vector<std::string_view> flags;    // taking no value
  std::vector<std::string_view> folders;  // taking a folder
  std::string_view language;              // taking a language's section name
};
OptionNames optionNames();

std::string versionText();

app::StartupOptions startupOptions(const ProgramOptions& options);

}  // namespace valdor::cli
