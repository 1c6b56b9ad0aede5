#include "app/running_game.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <system_error>

#include "config/file_io.h"
#include "config/text.h"
#include "wine/wine_discovery.h"

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>
#endif

namespace valdor::app {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32

class SystemProcesses final : public ProcessSource {
 public:
  std::vector<ProcessInfo> processes() const override {
    std::vector<ProcessInfo> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
      // The snapshot names only the image file; its folder needs the process
      // itself, which a process of another user or a protected one refuses.
      HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
      if (!process) continue;
      wchar_t image[32768];
      DWORD size = static_cast<DWORD>(std::size(image));
      if (QueryFullProcessImageNameW(process, 0, image, &size))
        found.push_back({fs::path(std::wstring(image, size)), {}});
      CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
  }
};

#else

bool isProcessNumber(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A command line longer than this is no game started by a launcher.
constexpr std::size_t kMaxCommandLine = 64 * 1024;

std::vector<std::string> commandLineOf(const fs::path& processFolder) {
  std::ifstream in(processFolder / "cmdline", std::ios::binary);
  std::string text(kMaxCommandLine, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  std::vector<std::string> arguments;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = std::min(text.find('\0', start), text.size());
    arguments.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

class SystemProcesses final : public ProcessSource {
 public:
  std::vector<ProcessInfo> processes() const override {
    std::vector<ProcessInfo> found;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
      if (!isProcessNumber(it->path().filename().string())) continue;
      // Processes of other users, and ones that ended meanwhile, show no
      // image file; their command line is still readable.
      std::error_code linkError;
      ProcessInfo process{fs::read_symlink(it->path() / "exe", linkError), commandLineOf(it->path())};
      if (linkError) process.executable.clear();
      found.push_back(std::move(process));
    }
    return found;
  }
};

#endif

std::string_view fileNameOf(std::string_view shown) {
  const auto cut = shown.find_last_of("\\/");
  return cut == std::string_view::npos ? shown : shown.substr(cut + 1);
}

// "C:\...", also behind the "\\?\" and "\??\" that tell Windows not to parse it.
std::optional<std::string_view> windowsPathIn(std::string_view shown) {
  if (shown.starts_with("\\\\?\\") || shown.starts_with("\\??\\")) shown.remove_prefix(4);
  const bool drive = shown.size() >= 3 && config::lowerAscii(shown[0]) >= 'a' && config::lowerAscii(shown[0]) <= 'z' &&
                     shown[1] == ':' && (shown[2] == '\\' || shown[2] == '/');
  if (!drive) return std::nullopt;
  return shown;
}

std::vector<std::string> folderNames(std::string_view path) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= path.size()) {
    const auto end = std::min(path.find_first_of("\\/", start), path.size());
    const auto name = path.substr(start, end - start);
    if (!name.empty() && name != ".") names.emplace_back(name);
    start = end + 1;
  }
  return names;
}

// Wine finds a file whatever the case of its name, so a path from a Windows
// program may differ from the real one only in case.
bool sameFolder(const fs::path& a, const fs::path& b, bool ignoreCase) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const auto normalA = fs::weakly_canonical(a, ec).lexically_normal();
  const auto normalB = fs::weakly_canonical(b, ec).lexically_normal();
  const auto textA = config::pathText(normalA.empty() ? a.lexically_normal() : normalA);
  const auto textB = config::pathText(normalB.empty() ? b.lexically_normal() : normalB);
#ifdef _WIN32
  ignoreCase = true;
#endif
  return ignoreCase ? config::equalsIgnoreCase(textA, textB) : textA == textB;
}

bool sameFile(const fs::path& candidate, const fs::path& executable, bool ignoreCase) {
  return config::equalsIgnoreCase(config::pathText(candidate.filename()), config::pathText(executable.filename())) &&
         sameFolder(candidate.parent_path(), executable.parent_path(), ignoreCase);
}

// The folders of a Windows path without its drive and file name are the last
// folders of the executable's: all that can be told when the drive is unknown.
bool endsWithFolders(const fs::path& executable, std::string_view windowsPath) {
  auto names = folderNames(windowsPath.substr(2));
  if (!names.empty()) names.pop_back();  // the file name
  std::vector<std::string> own;
  for (const auto& part : executable.parent_path().lexically_normal()) {
    const auto text = config::pathText(part);
    if (!text.empty() && text != "/" && text != "\\") own.push_back(text);
  }
  if (names.size() > own.size()) return false;
  return std::equal(names.rbegin(), names.rend(), own.rbegin(),
                    [](const std::string& a, const std::string& b) { return config::equalsIgnoreCase(a, b); });
}

// A loader that runs a Windows program named by a later argument.
bool isLoader(std::string_view argument) {
  const auto name = config::toLowerAscii(fileNameOf(argument));
  return name.starts_with("wine") || name == "proton";
}

}  // namespace

std::shared_ptr<const ProcessSource> systemProcesses() { return std::make_shared<SystemProcesses>(); }

fs::path gameExecutableIn(const fs::path& gameFolder) {
  const auto exact = gameFolder / kGameExecutableName;
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  for (fs::directory_iterator it(gameFolder, ec), end; !ec && it != end; it.increment(ec)) {
    if (config::equalsIgnoreCase(config::pathText(it->path().filename()), kGameExecutableName)) return it->path();
  }
  return exact;
}

bool namesExecutable(std::string_view shown, const fs::path& executable, const std::optional<fs::path>& prefix) {
  if (!config::equalsIgnoreCase(fileNameOf(shown), config::pathText(executable.filename()))) return false;
  if (const auto windows = windowsPathIn(shown)) {
    std::optional<fs::path> resolved;
    if (prefix) resolved = wine::linuxPathInPrefix(*prefix, *windows);
    if (!resolved && config::lowerAscii(windows->front()) == 'z') {
      std::string unix(windows->substr(2));
      std::replace(unix.begin(), unix.end(), '\\', '/');
      resolved = config::pathFromText(unix);
    }
    if (resolved) return sameFile(*resolved, executable, true);
    return endsWithFolders(executable, *windows);
  }
  const auto path = config::pathFromText(shown);
  // A relative name says nothing about the folder; the image file tells it.
  if (!path.is_absolute()) return false;
  return sameFile(path, executable, false);
}

bool isGameProcess(const ProcessInfo& process, const fs::path& executable, const std::optional<fs::path>& prefix) {
  if (!process.executable.empty() && sameFile(process.executable, executable, false)) return true;
  const auto& arguments = process.commandLine;
  if (arguments.empty()) return false;
  if (namesExecutable(arguments[0], executable, prefix)) return true;
  // "wine valdor3.exe", "wine64-preloader wine64 C:\...", "python3 proton run ...".
  const bool loaded = isLoader(arguments[0]) || (arguments.size() > 1 && isLoader(arguments[1]));
  if (!loaded) return false;
  return std::any_of(arguments.begin() + 1, arguments.end(),
                     [&](const std::string& argument) { return namesExecutable(argument, executable, prefix); });
}

bool gameIsRunning(const ProcessSource& source, const fs::path& executable) {
  if (executable.empty()) return false;
  const auto prefix = wine::enclosingPrefix(executable.parent_path());
  const auto processes = source.processes();
  return std::any_of(processes.begin(), processes.end(),
                     [&](const ProcessInfo& process) { return isGameProcess(process, executable, prefix); });
}

bool mayWriteGameFiles(const ProcessSource& source, const fs::path& executable, Dialogs& dialogs,
                       const i18n::Translator& translator) {
  if (!gameIsRunning(source, executable)) return true;
  // Enter keeps the files as they are: the game would undo the save anyway.
  return dialogs.askYesNo(translator.format("MESSAGE_GAMERUNNING", {{"file", config::pathText(executable)}}),
                          Answer::No);
}

}  // namespace valdor::app
