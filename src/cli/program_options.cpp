#include "cli/program_options.h"

#include <array>
#include <string_view>

#include "cli/cache_commands.h"
#include "cli/main_commands.h"
#include "cli/other_commands.h"
#include "config/file_io.h"
#include "config/text.h"
#include "i18n/translator.h"

namespace valdor::cli {

namespace {

using Folder = std::optional<std::filesystem::path> ProgramOptions::*;

struct FolderOption {
  std::string_view name;
  Folder member;
};

constexpr std::array kFolderOptions{
    FolderOption{"--game-dir", &ProgramOptions::gameDir},
    FolderOption{"--documents-dir", &ProgramOptions::documentsDir},
    FolderOption{"--state-dir", &ProgramOptions::stateDir},
};

constexpr std::string_view kLanguageOption = "--language";
constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kVersionOption = "--version";

// "--name VALUE" or "--name=VALUE" at args[i] (moving i past a separate
// value); nullopt when args[i] is another option.
std::optional<std::string> optionValue(std::string_view name, std::span<const std::string> args, std::size_t& i,
                                       std::string& error) {
  std::string_view arg = args[i];
  if (!arg.starts_with(name)) return std::nullopt;
  arg.remove_prefix(name.size());
  if (arg.starts_with('=')) return std::string(arg.substr(1));
  if (!arg.empty()) return std::nullopt;
  if (i + 1 >= args.size()) {
    error = std::string(name) + " needs a value";
    return std::string();
  }
  return args[++i];
}

// Sets one option from args[i]; false with the reason in error otherwise.
bool parseOption(std::span<const std::string> args, std::size_t& i, ProgramOptions& options, std::string& error) {
  const std::string& arg = args[i];
  if (arg == kHelpOption || arg == "-h") {
    options.help = true;
    return true;
  }
  if (arg == kVersionOption) {
    options.version = true;
    return true;
  }
  if (arg == "--force") {
    options.force = true;
    return true;
  }
  for (const auto& folder : kFolderOptions) {
    if (auto value = optionValue(folder.name, args, i, error)) {
      if (!error.empty()) return false;
      if (value->empty()) {
        error = std::string(folder.name) + " needs a folder";
        return false;
      }
      options.*folder.member = config::pathFromText(*value);
      return true;
    }
  }
  if (auto value = optionValue(kLanguageOption, args, i, error)) {
    if (!error.empty()) return false;
    auto word = config::toLowerAscii(*value);
    if (word != i18n::kGerman && word != i18n::kEnglish) {
      error = "--language takes deutsch or english, not '" + *value + "'";
      return false;
    }
    options.language = std::move(word);
    return true;
  }
  error = "unknown option '" + arg + "'";
  return false;
}

}  // namespace

ParsedOptions parseProgramOptions(std::span<const std::string> args) {
  ProgramOptions options;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--") {
      ++i;
      break;
    }
    if (!args[i].starts_with('-')) break;
    std::string error;
    if (!parseOption(args, i, options, error)) return {std::nullopt, "valdor3-tuning: " + error + "\n" + usageText()};
  }
  options.command.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  return {std::move(options), {}};
}

std::string usageText() {
  return "Usage: valdor3-tuning [OPTIONS] [COMMAND ...]\n"
         "Without a command the settings editor opens.\n"
         "\n"
         "Options:\n"
         "  --game-dir DIR       the game folder for this run (nothing is stored)\n"
         "  --documents-dir DIR  the documents folder (UserOptions.ini is DIR/valdor3/UserOptions.ini)\n"
         "  --state-dir DIR      keep the tool's own settings and extracted files in DIR\n"
         "  --language LANG      language of the messages: deutsch or english\n"
         "  --force              write the game's files even while the game is running\n"
         "  --help               show this text\n"
         "  --version            show the version\n"
         "\n"
         "Commands:\n"
         "  ini get [--default=TEXT] [--size=N] [--] FILE SECTION KEY\n"
         "  ini get-int [--default=N] [--] FILE SECTION KEY\n"
         "  ini set [--] FILE SECTION KEY VALUE\n"
         "  locate               show the game folder, the files used and the language\n"
         "  locate --all         show every installation found under Wine and Proton, with its files\n"
         "  logos remove         let the game play only the first start logo (writes Ini/logo.ini)\n"
         "  logos restore        let the game play all five start logos\n"
         "  backup create [--force] FILE\n"
         "                       save ve3.ini and UserOptions.ini into FILE (.vib added without extension);\n"
         "                       an existing FILE is replaced only with --force, an edited file never\n"
         "  backup load FILE     put both files back from the backup FILE (its name must end in .vib)\n"
         "  backup history       list the safety copies kept before saves, newest first\n"
         "  backup undo          put back the files of the last save not yet undone, all or none\n"
         "  main show            show the main window's settings, one KEY=VALUE a line\n"
         "  main set KEY=VALUE...\n"
         "                       change main settings and save them as the editor's save button does\n"
         "  main defaults        save the main window's default settings\n"
         "  cache show           show the cache budgets, each column's total and each level's final cache\n"
         "  cache set KEY=BYTES...\n"
         "                       change cache budgets and save them as the cache window's save button does\n"
         "  cache scale COLUMN PERCENT\n"
         "                       scale a column (" + cacheColumnNames() + ") up by N or +N %, down by -N %\n"
         "  cache defaults       save the default cache budgets\n"
         "  other show           show the other settings, one KEY=VALUE a line\n"
         "  other set KEY=VALUE...\n"
         "                       change other settings and save them as the other settings window does\n"
         "  other defaults       save the other settings' default values\n"
         "\n" +
         mainUsage() + "\n" + cacheUsage() + "\n" + otherUsage();
}

OptionNames optionNames() {
  OptionNames names{{kHelpOption, kVersionOption}, {}, kLanguageOption};
  for (const auto& folder : kFolderOptions) names.folders.push_back(folder.name);
  return names;
}

std::string versionText() { return "valdor3-tuning " VALDOR_VERSION "\n"; }

app::StartupOptions startupOptions(const ProgramOptions& options) {
  app::StartupOptions startup{options.gameDir, options.documentsDir, options.stateDir};
#ifndef _WIN32
  // Players on Linux run the game under Wine or Proton.
  startup.wine = wine::DiscoveryEnvironment::fromProcess();
#endif
  return startup;
}

}  // namespace valdor::cli
