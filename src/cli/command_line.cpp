#include "cli/command_line.h"

#include <cstdint>
#include <limits>
#include <sstream>
#include <string_view>
#include <vector>

#include "i18n/file_messages.h"
#include "app/commits.h"
#include "app/startup.h"
#include "cli/logo_backup_commands.h"
#include "cli/cache_commands.h"
#include "cli/game_guard.h"
#include "cli/main_commands.h"
#include "cli/other_commands.h"
#include "cli/wine_commands.h"
#include "config/numbers.h"
#include "config/profile.h"
#include "i18n/cp1252.h"
#include "i18n/translator.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <iostream>
#include <streambuf>

#include "config/environment.h"
#else
#include <unistd.h>

#include <cerrno>
#include <streambuf>
#endif

namespace valdor::cli {

#ifdef _WIN32

std::vector<std::string> programArguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) args.push_back(config::narrow(wide[i]));
  LocalFree(wide);
  return args;
}

namespace {

// The C runtime would read the UTF-8 bytes in the console's code page; the
// console is given the text as UTF-16 instead, a line at a time.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : m_console(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    m_pending.push_back(traits_type::to_char_type(c));
    if (c == '\n') sync();
    return c;
  }

  std::streamsize xsputn(const char* text, std::streamsize count) override {
    m_pending.append(text, static_cast<std::size_t>(count));
    if (m_pending.find('\n') != std::string::npos) sync();
    return count;
  }

  int sync() override {
    // A character cut at the end waits for its remaining bytes.
    std::size_t complete = m_pending.size();
    std::size_t back = 0;
    while (back < complete && back < 4 && (static_cast<unsigned char>(m_pending[complete - 1 - back]) & 0xC0) == 0x80)
      ++back;
    if (back < complete) {
      const auto lead = static_cast<unsigned char>(m_pending[complete - 1 - back]);
      const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      if (length > back + 1) complete -= back + 1;
    }
    const std::wstring wide = config::widen(std::string_view(m_pending).substr(0, complete));
    DWORD written = 0;
    if (!wide.empty()) WriteConsoleW(m_console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    m_pending.erase(0, complete);
    return 0;
  }

 private:
  HANDLE m_console;
  std::string m_pending;
};

void useConsole(std::ostream& stream, DWORD which) {
  HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return;
  stream.flush();
  // Never freed: the streams are flushed at exit, after every other object.
  stream.rdbuf(new ConsoleBuffer(handle));
}

}  // namespace

void prepareConsole() {
  useConsole(std::cout, STD_OUTPUT_HANDLE);
  useConsole(std::cerr, STD_ERROR_HANDLE);
}

std::ostream& Console::out() { return std::cout; }
std::ostream& Console::err() { return std::cerr; }

#else

std::vector<std::string> programArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void prepareConsole() {}

namespace {

// Output to a file descriptor through a buffer of its own, written out when
// full, on flush and when the program ends.
class DescriptorBuffer final : public std::streambuf {
 public:
  explicit DescriptorBuffer(int fd) : m_fd(fd) { setp(m_buffer, m_buffer + sizeof m_buffer); }
  ~DescriptorBuffer() override { sync(); }
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override {
    const char* next = pbase();
    while (next < pptr()) {
      const ssize_t written = ::write(m_fd, next, static_cast<std::size_t>(pptr() - next));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        setp(m_buffer, m_buffer + sizeof m_buffer);  // a closed pipe: the rest is dropped, as it cannot be written
        return -1;
      }
      next += written;
    }
    setp(m_buffer, m_buffer + sizeof m_buffer);
    return 0;
  }

 private:
  int m_fd;
  char m_buffer[4096];
};

}  // namespace

std::ostream& Console::out() {
  static DescriptorBuffer buffer(STDOUT_FILENO);
  static std::ostream stream(&buffer);
  return stream;
}

std::ostream& Console::err() {
  static DescriptorBuffer buffer(STDERR_FILENO);
  static std::ostream stream(&buffer);
  // As std::cerr: written at once, after what waits in the output.
  static const bool prepared = [this] {
    stream.setf(std::ios::unitbuf);
    stream.tie(&out());
    return true;
  }();
  (void)prepared;
  return stream;
}

#endif

namespace {

// A capacity beyond any sensible INI value; it only guards the buffer.
constexpr std::size_t kMaxCapacity = std::size_t{1} << 24;

// The arguments of an ini command: "--name=value" options until "--" or the
// first other word, then exactly `count` positional arguments.
struct IniArguments {
  std::optional<std::string> defaultValue;
  std::optional<std::string> size;
  std::vector<std::string> positional;
};

std::optional<IniArguments> splitIniArguments(std::span<const std::string> args, std::size_t count, bool takesDefault,
                                              bool takesSize, std::string& error) {
  IniArguments result;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (!arg.starts_with('-')) break;
    if (takesDefault && arg.starts_with("--default=")) {
      result.defaultValue = std::string(arg.substr(10));
    } else if (takesSize && arg.starts_with("--size=")) {
      result.size = std::string(arg.substr(7));
    } else {
      error = "unknown option '" + std::string(arg) + "'";
      return std::nullopt;
    }
  }
  result.positional.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  if (result.positional.size() != count) {
    error = "expected " + std::to_string(count) + " arguments";
    return std::nullopt;
  }
  return result;
}

// Messages of the command line: in the language asked for, else in the
// editor's, German when that names none; from the table carried in the
// program, so nothing is extracted.
int iniGet(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string error;
  auto parsed = splitIniArguments(args, 3, true, true, error);
  if (!parsed) return badUsage(err, "ini get: " + error);
  std::size_t capacity = config::kValueCapacity;
  if (parsed->size) {
    auto size = config::parseWhole(*parsed->size, 1, kMaxCapacity);
    if (!size) return badUsage(err, "ini get: --size takes a number from 1 to " + std::to_string(kMaxCapacity));
    capacity = static_cast<std::size_t>(*size);
  }
  const auto& p = parsed->positional;
  out << config::getProfileString(p[0], p[1], p[2], parsed->defaultValue.value_or(std::string()), capacity) << "\n";
  return kExitDone;
}

int iniGetInt(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string error;
  auto parsed = splitIniArguments(args, 3, true, false, error);
  if (!parsed) return badUsage(err, "ini get-int: " + error);
  std::int32_t defaultValue = 0;
  if (parsed->defaultValue) {
    auto number = config::parseWhole(*parsed->defaultValue, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max());
    if (!number) return badUsage(err, "ini get-int: --default takes a 32-bit number");
    defaultValue = static_cast<std::int32_t>(*number);
  }
  const auto& p = parsed->positional;
  out << static_cast<std::int32_t>(config::getProfileInt(p[0], p[1], p[2], defaultValue)) << "\n";
  return kExitDone;
}

int iniSet(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
           std::ostream& err) {
  std::string error;
  auto parsed = splitIniArguments(args, 4, false, false, error);
  if (!parsed) return badUsage(err, "ini set: " + error);
  const auto& p = parsed->positional;
  // Any file may be named; when it is one of the game's, it gets its safety
  // copy like every other save. Without a known game there is nothing to say.
  std::ostringstream unknownGame;
  knownInstallation(options, store, unknownGame);
  auto result = config::writeProfileString(p[0], p[1], p[2], p[3]);
  if (result.ok()) return kExitDone;
  err << i18n::failureMessage(messageTranslator(options, store), result) << "\n";
  return kExitFailed;
}

int locate(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
           std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && args[0] == "--all") return locateAll(options, out, err);
  if (!args.empty()) return badUsage(err, "locate takes no argument other than --all");
  const auto installation = knownInstallation(options, store, err);
  if (!installation) return kExitFailed;
  const auto& paths = installation->paths;
  out << "gameFolder=" << config::pathText(installation->gameFolder) << "\n"
      << "translationFile=" << config::pathText(paths.translationFile) << "\n"
      << "userOptionsIni=" << config::pathText(paths.userOptionsIni) << "\n"
      << "engineIni=" << config::pathText(paths.engineIni) << "\n"
      << "debugIni=" << config::pathText(paths.debugIni) << "\n"
      << "language=" << app::effectiveLanguage(store.read(app::kLanguageValue)) << "\n";
  return kExitDone;
}

}  // namespace

i18n::Translator messageTranslator(const ProgramOptions& options, const app::SettingsStore& store) {
  i18n::Translator translator;
  auto language = options.language ? *options.language : app::effectiveLanguage(store.read(app::kLanguageValue));
  translator.setLanguage(language.empty() ? std::string(i18n::kGerman) : language);
  return translator;
}

i18n::Translator translatorFor(const ProgramOptions& options) {
  i18n::Translator translator;
  translator.setLanguage(options.language.value_or(std::string(i18n::kEnglish)));
  return translator;
}

std::string joinedNames(const std::vector<std::string_view>& names) {
  std::string joined;
  for (std::string_view name : names) {
    if (!joined.empty()) joined += ", ";
    joined += name;
  }
  return joined;
}

std::optional<std::vector<Assignment>> parseAssignments(std::span<const std::string> args, std::string_view command,
                                                        std::string_view valueWord, std::ostream& err) {
  const std::string name(command);
  if (args.empty()) {
    badUsage(err, name + " needs at least one KEY=" + std::string(valueWord));
    return std::nullopt;
  }
  std::vector<Assignment> assignments;
  for (const std::string& arg : args) {
    const auto equals = arg.find('=');
    if (equals == std::string::npos) {
      badUsage(err, name + ": '" + arg + "' is not KEY=" + std::string(valueWord));
      return std::nullopt;
    }
    assignments.push_back({arg.substr(0, equals), arg.substr(equals + 1)});
  }
  return assignments;
}

int badUsage(std::ostream& err, std::string_view what) {
  err << "valdor3-tuning: " << what << "\n" << usageText();
  return kExitBadUsage;
}

std::optional<Installation> knownInstallation(const ProgramOptions& options, const app::SettingsStore& store,
                                              std::ostream& err) {
  const auto startup = startupOptions(options);
  auto folder = app::knownGameFolder(store, startup);
  if (!folder) {
    // The language is not known here: the message holds both.
    err << i18n::cp1252ToUtf8(i18n::Translator().generalMessage("MESSAGE_NOINSTALLATIONFOUND")) << "\n"
        << "Name the game folder with --game-dir DIR.\n";
    return std::nullopt;
  }
  auto paths = app::plannedPaths(startup, *folder, app::gameDocumentsFolder(store, startup, *folder));
  auto copies = app::keepSafetyCopies(options.stateDir, *folder, paths);
  return Installation{*folder, std::move(paths), std::move(copies)};
}

std::variant<int, ProgramOptions> runArguments(std::span<const std::string> args, Console& console) {
  auto parsed = parseProgramOptions(args);
  if (!parsed.options) {
    console.err() << parsed.error;
    return kExitBadUsage;
  }
  // The editor writes nothing to the console, so its streams are never made.
  if (!opensEditor(*parsed.options)) return *runCommandLine(*parsed.options, console.out(), console.err());
  app::prepareSaving(parsed.options->stateDir);
  return std::move(*parsed.options);
}

bool opensEditor(const ProgramOptions& options) {
  return !options.help && !options.version && options.command.empty();
}

std::optional<int> runCommandLine(const ProgramOptions& options, std::ostream& out, std::ostream& err) {
  if (options.help) {
    out << usageText();
    return kExitDone;
  }
  if (options.version) {
    out << versionText();
    return kExitDone;
  }
  // Before anything reads the game's files: a save an earlier run was killed
  // in is finished (or undone) first, for the editor as for every command.
  app::prepareSaving(options.stateDir);
  if (opensEditor(options)) return std::nullopt;
  auto store = app::makeSettingsStore(options.stateDir);
  return runCommand(options, *store, out, err);
}

int runCommand(const ProgramOptions& options, app::SettingsStore& store, std::ostream& out, std::ostream& err) {
  const std::span<const std::string> command = options.command;
  if (command.empty()) return badUsage(err, "no command");
  if (!mayRunWhileGameRuns(command, options, store, *app::systemProcesses(), err)) return kExitFailed;
  if (command[0] == "locate") return locate(command.subspan(1), options, store, out, err);
  if (command[0] == "main") return runMainCommand(command.subspan(1), options, store, out, err);
  if (command[0] == "other") return runOtherCommand(command.subspan(1), options, store, out, err);
  if (command[0] == "cache") return runCacheCommand(command.subspan(1), options, store, out, err);
  if (command[0] == "logos") return runLogosCommand(command.subspan(1), options, store, err);
  if (command[0] == "backup") return runBackupCommand(command.subspan(1), options, store, out, err);
  if (command[0] == "ini" && command.size() >= 2) {
    const auto args = command.subspan(2);
    if (command[1] == "get") return iniGet(args, out, err);
    if (command[1] == "get-int") return iniGetInt(args, out, err);
    if (command[1] == "set") return iniSet(args, options, store, err);
  }
  return badUsage(err, "unknown command '" + command[0] + (command.size() >= 2 ? " " + command[1] : "") + "'");
}

}  // namespace valdor::cli
