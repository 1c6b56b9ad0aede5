#include "wine/wine_discovery.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <system_error>

#include "config/environment.h"
#include "wine/steam_libraries.h"
#include "wine/wine_registry.h"
#include "config/file_io.h"
#include "config/text.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace valdor::wine {

namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

constexpr std::array kSourceNames{"steam"sv, "lutris"sv, "heroic"sv, "bottles"sv, "wine"sv};

// What the search looks at, at most: the editor runs it when it starts, so a
// folder of a million entries or a launcher file of a gigabyte must cost it
// no more than a moment. Real ones are far below these.
constexpr std::size_t kMaxFolderEntries = 4096;
constexpr std::size_t kMaxPrefixes = 512;
constexpr std::size_t kMaxLauncherFileSize = 1024 * 1024;

// Folders in drive_c/users that belong to no one who runs programs.
constexpr std::array kSharedUserFolders{"public"sv, "default"sv, "default user"sv, "all users"sv};

bool folderExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool fileExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool pathExists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// The folder's entries (links followed) that pass `keep`, sorted by name so
// that the search finds things in the same order every time; of a folder
// with more than kMaxFolderEntries, only those among the first ones read.
template <typename Keep>
std::vector<fs::path> entries(const fs::path& folder, Keep keep) {
  std::vector<fs::path> found;
  std::error_code ec;
  std::size_t visited = 0;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end && visited < kMaxFolderEntries;
       it.increment(ec), ++visited) {
    if (keep(*it)) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<fs::path> subfolders(const fs::path& folder) {
  return entries(folder, [](const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_directory(ec);
  });
}

// The same folder reached through a link or another spelling gives the same
// path; one that cannot be resolved stays as it is.
fs::path canonicalOrSame(const fs::path& path) {
  std::error_code ec;
  auto canonical = fs::canonical(path, ec);
  return ec ? path.lexically_normal() : canonical;
}

// The entry of folder named `name`: the exact name when it exists, else one
// that differs only in case, else the exact name (which does not exist).
fs::path childIgnoringCase(const fs::path& folder, const std::string& name) {
  auto exact = folder / name;
  if (pathExists(exact)) return exact;
  std::error_code ec;
  std::size_t visited = 0;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end && visited < kMaxFolderEntries;
       it.increment(ec), ++visited) {
    if (config::equalsIgnoreCase(it->path().filename().string(), name)) return it->path();
  }
  return exact;
}

// Every library of every Steam root, each once: ~/.steam/steam is usually a
// link to ~/.local/share/Steam, and every root lists itself again.
std::vector<fs::path> steamLibraryFolders(const DiscoveryEnvironment& env) {
  const fs::path flatpak = env.home / ".var/app/com.valvesoftware.Steam";
  const std::array roots{
      env.home / ".steam/steam",
      env.home / ".local/share/Steam",
      env.dataHome / "Steam",
      flatpak / ".local/share/Steam",
      flatpak / "data/Steam",
      env.home / "snap/steam/common/.local/share/Steam",
  };
  std::set<fs::path> seenRoots;
  std::set<fs::path> seenLibraries;
  std::vector<fs::path> libraries;
  for (const auto& root : roots) {
    if (!folderExists(root) || !seenRoots.insert(canonicalOrSame(root)).second) continue;
    for (const auto& library : steamLibraries(root)) {
      auto canonical = canonicalOrSame(library);
      if (seenLibraries.insert(canonical).second) libraries.push_back(std::move(canonical));
    }
  }
  return libraries;
}

// The search over all places, remembering the prefixes already read.
class Search {
 public:
  explicit Search(const DiscoveryEnvironment& environment) : m_env(environment) {}

  void steam() {
    for (const auto& library : steamLibraryFolders(m_env)) {
      for (const auto& game : subfolders(library / "steamapps/compatdata"))
        consider(game / "pfx", InstallationSource::Steam);
    }
  }

  void lutris() {
    const fs::path flatpak = m_env.home / ".var/app/net.lutris.Lutris";
    // Older Lutris keeps its game files with its configuration, newer with its data.
    for (const auto& folder : {m_env.configHome / "lutris/games", m_env.dataHome / "lutris/games",
                               flatpak / "config/lutris/games", flatpak / "data/lutris/games"}) {
      auto games = entries(folder, [](const fs::directory_entry& entry) {
        std::error_code ec;
        return entry.path().extension() == ".yml" && entry.is_regular_file(ec);
      });
      for (const auto& file : games) {
        auto content = config::readFile(file);
        if (!content) continue;
        if (auto prefix = lutrisPrefix(*content, m_env.home)) consider(*prefix, InstallationSource::Lutris);
      }
    }
  }

  void heroic() {
    // One prefix per game, either directly in Prefixes or one level down, in
    // the folder of the Wine version (Prefixes/default/<game>).
    for (const auto& folder : subfolders(m_env.home / "Games/Heroic/Prefixes")) {
      if (isWinePrefix(folder)) {
        consider(folder, InstallationSource::Heroic);
      } else {
        for (const auto& inner : subfolders(folder)) consider(inner, InstallationSource::Heroic);
      }
    }
  }

  void bottles() {
    for (const auto& folder : {m_env.dataHome / "bottles/bottles",
                               m_env.home / ".var/app/com.usebottles.bottles/data/bottles/bottles"}) {
      for (const auto& bottle : subfolders(folder)) consider(bottle, InstallationSource::Bottles);
    }
  }

  void wine() {
    if (m_env.winePrefix) consider(*m_env.winePrefix, InstallationSource::Wine);
    consider(m_env.home / ".wine", InstallationSource::Wine);
  }

  std::vector<WineInstallation> take() { return std::move(m_found); }

 private:
  void consider(const fs::path& folder, InstallationSource source) {
    if (m_prefixes.size() >= kMaxPrefixes || !isWinePrefix(folder)) return;
    const auto prefix = canonicalOrSame(folder);
    if (!m_prefixes.insert(prefix).second) return;
    for (auto& installation : installationsInPrefix(prefix, source, m_env)) m_found.push_back(std::move(installation));
  }

  const DiscoveryEnvironment& m_env;
  std::set<fs::path> m_prefixes;
  std::vector<WineInstallation> m_found;
};

}  // namespace

std::string_view sourceName(InstallationSource source) { return kSourceNames[static_cast<std::size_t>(source)]; }

DiscoveryEnvironment DiscoveryEnvironment::forHome(const std::filesystem::path& home) {
  DiscoveryEnvironment found;
  found.home = home;
  found.dataHome = home / ".local/share";
  found.configHome = home / ".config";
  return found;
}

DiscoveryEnvironment DiscoveryEnvironment::fromProcess() {
  auto found = forHome(config::homeFolder());
  if (auto prefix = config::environmentValue("WINEPREFIX")) found.winePrefix = fs::path(*prefix);
  // The XDG variables count only when absolute, as the XDG rules say.
  if (auto data = config::environmentValue("XDG_DATA_HOME"); data && fs::path(*data).is_absolute()) found.dataHome = *data;
  if (auto config = config::environmentValue("XDG_CONFIG_HOME"); config && fs::path(*config).is_absolute())
    found.configHome = *config;
  if (auto user = config::environmentValue("USER")) {
    found.user = *user;
  }
#ifndef _WIN32
  else if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name) {
    found.user = entry->pw_name;
  }
#endif
  return found;
}

std::vector<WineInstallation> findWineInstallations(const DiscoveryEnvironment& environment) {
  // The stores first, plain Wine last: a prefix that $WINEPREFIX names and a
  // store manages is told as the store's.
  Search search(environment);
  search.steam();
  search.lutris();
  search.heroic();
  search.bottles();
  search.wine();
  return search.take();
}

std::vector<WineInstallation> installationsInPrefix(const std::filesystem::path& prefix, InstallationSource source,
                                                    const DiscoveryEnvironment& environment) {
  std::vector<WineInstallation> found;
  const auto hive = config::readFile(prefix / "system.reg");
  if (!hive) return found;
  // The game is a 32-bit program: in a 64-bit prefix its key lies below
  // Wow6432Node, in a 32-bit one directly below Software.
  constexpr std::array kWanted{RegistryValueName{kGameKey32, "INSTALL_DIR"},
                               RegistryValueName{kGameKey, "INSTALL_DIR"}};
  std::set<fs::path> folders;
  for (const auto& value : readRegistryStrings(*hive, kWanted)) {
    if (!value) continue;
    auto folder = linuxPathInPrefix(prefix, *value);
    if (!folder || !fileExists(config::joinPath(*folder, "Ini/ve3.ini"))) continue;
    if (!folders.insert(canonicalOrSame(*folder)).second) continue;
    const bool proton = source == InstallationSource::Steam || isProtonPrefix(prefix);
    found.push_back({*folder, prefix, prefixDocuments(prefix, proton, environment.user), source});
  }
  return found;
}

std::optional<std::filesystem::path> lutrisPrefix(std::string_view yaml, const std::filesystem::path& home) {
  // Read line by line, never by nesting, so no indentation costs the stack.
  if (yaml.size() > kMaxLauncherFileSize) return std::nullopt;
  bool inGame = false;
  while (!yaml.empty()) {
    const auto end = yaml.find('\n');
    std::string_view line = yaml.substr(0, end);
    yaml = end == std::string_view::npos ? std::string_view() : yaml.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() != ' ' && line.front() != '\t') {
      inGame = line.starts_with("game:");
      continue;
    }
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (!inGame || !line.starts_with("prefix:")) continue;
    line.remove_prefix(7);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    std::string value;
    if (line.size() >= 2 && line.front() == '\'') {
      // 'it''s': a doubled quote is one quote.
      for (std::size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '\'' && i + 1 < line.size() && line[i + 1] == '\'') {
          value += '\'';
          ++i;
        } else if (line[i] == '\'') {
          break;
        } else {
          value += line[i];
        }
      }
    } else if (line.size() >= 2 && line.front() == '"') {
      for (std::size_t i = 1; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        value += line[i];
      }
    } else {
      if (auto comment = line.find(" #"); comment != std::string_view::npos) line = line.substr(0, comment);
      while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
      value = line;
    }
    if (value.empty()) return std::nullopt;
    if (value == "~" || value.starts_with("~/")) return home / value.substr(std::min<std::size_t>(2, value.size()));
    if (value == "$HOME" || value.starts_with("$HOME/"))
      return home / value.substr(std::min<std::size_t>(6, value.size()));
    return fs::path(value);
  }
  return std::nullopt;
}

bool isWinePrefix(const std::filesystem::path& folder) {
  return folderExists(folder / "drive_c") && fileExists(folder / "system.reg");
}

std::optional<std::filesystem::path> enclosingPrefix(const std::filesystem::path& path) {
  std::error_code ec;
  auto folder = fs::absolute(path, ec).lexically_normal();
  while (true) {
    if (isWinePrefix(folder)) return folder;
    auto parent = folder.parent_path();
    if (parent == folder || parent.empty()) return std::nullopt;
    folder = std::move(parent);
  }
}

std::optional<std::filesystem::path> prefixOfGame(const std::filesystem::path& gameFolder,
                                                  const DiscoveryEnvironment& environment) {
  if (auto prefix = enclosingPrefix(gameFolder)) return prefix;
  // Steam keeps a Proton game in <library>/steamapps/common/<installdir> and
  // its prefix in compatdata/<appid>/pfx, perhaps of another library; the
  // app's manifest beside common ties the two.
  std::error_code ec;
  auto folder = fs::absolute(gameFolder, ec).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  for (; folder.has_relative_path(); folder = folder.parent_path()) {
    const auto common = folder.parent_path();
    if (common.filename() == "common" && common.parent_path().filename() == "steamapps") break;
  }
  if (!folder.has_relative_path()) return std::nullopt;
  const auto steamapps = folder.parent_path().parent_path();
  const auto manifests = entries(steamapps, [](const fs::directory_entry& entry) {
    const auto name = entry.path().filename().string();
    return name.starts_with("appmanifest_") && name.ends_with(".acf");
  });
  for (const auto& manifest : manifests) {
    const auto content = config::readFile(manifest);
    if (!content || manifestValue(*content, "installdir") != folder.filename().string()) continue;
    const auto appId = manifestValue(*content, "appid");
    if (!appId || appId->empty() || appId->find('/') != std::string::npos) continue;
    auto libraries = steamLibraryFolders(environment);
    libraries.insert(libraries.begin(), steamapps.parent_path());
    for (const auto& library : libraries) {
      const auto prefix = library / "steamapps/compatdata" / *appId / "pfx";
      if (isWinePrefix(prefix)) return canonicalOrSame(prefix);
    }
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> linuxPathInPrefix(const std::filesystem::path& prefix,
                                                       std::string_view windowsPath) {
  // \\?\C:\... and \??\C:\... are the same path, told not to be parsed.
  if (windowsPath.starts_with("\\\\?\\") || windowsPath.starts_with("\\??\\")) windowsPath.remove_prefix(4);
  if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::nullopt;
  const char drive = config::lowerAscii(windowsPath[0]);
  if (drive < 'a' || drive > 'z') return std::nullopt;

  fs::path folder;
  if (drive == 'c') {
    folder = prefix / "drive_c";
  } else {
    const auto link = prefix / "dosdevices" / std::string{drive, ':'};
    std::error_code ec;
    if (fs::is_symlink(link, ec)) {
      auto target = fs::read_symlink(link, ec);
      if (ec) return std::nullopt;
      folder = target.is_absolute() ? target : link.parent_path() / target;
    } else {
      folder = link;
    }
  }
  if (!folderExists(folder)) return std::nullopt;

  windowsPath.remove_prefix(2);
  while (!windowsPath.empty()) {
    const auto end = std::min(windowsPath.find_first_of("\\/"), windowsPath.size());
    const std::string name(windowsPath.substr(0, end));
    windowsPath.remove_prefix(std::min(end + 1, windowsPath.size()));
    if (name.empty() || name == ".") continue;
    folder = name == ".." ? folder.parent_path() : childIgnoringCase(folder, name);
  }
  return folder;
}

std::filesystem::path prefixDocuments(const std::filesystem::path& prefix, bool proton, std::string_view user) {
  const auto users = prefix / "drive_c/users";
  std::string chosen;
  if (proton) {
    chosen = "steamuser";
  } else {
    std::vector<std::string> candidates;
    for (const auto& folder : subfolders(users)) {
      auto name = folder.filename().string();
      const bool shared = std::any_of(kSharedUserFolders.begin(), kSharedUserFolders.end(),
                                      [&](std::string_view other) { return config::equalsIgnoreCase(name, other); });
      if (!shared) candidates.push_back(std::move(name));
    }
    // The folder the game already keeps its options in is the one it reads.
    for (const auto& name : candidates) {
      if (folderExists(users / name / "Documents/valdor3") || folderExists(users / name / "My Documents/valdor3")) {
        chosen = name;
        break;
      }
    }
    if (chosen.empty() && !user.empty() &&
        std::find(candidates.begin(), candidates.end(), user) != candidates.end())
      chosen = user;
    if (chosen.empty() && !candidates.empty()) chosen = candidates.front();
    if (chosen.empty()) chosen = user.empty() ? "steamuser" : std::string(user);
  }
  const auto home = users / chosen;
  // Wine before 6.x called it "My Documents"; either may be a link to the
  // Linux user's documents folder, which the file system follows.
  if (!pathExists(home / "Documents") && pathExists(home / "My Documents")) return home / "My Documents";
  return home / "Documents";
}

bool isProtonPrefix(const std::filesystem::path& prefix) {
  const auto normal = prefix.lexically_normal();
  const auto folder = normal.has_filename() ? normal : normal.parent_path();
  return folder.filename() == "pfx" && folder.parent_path().parent_path().filename() == "compatdata";
}

std::vector<std::filesystem::path> steamLibrariesOf(const DiscoveryEnvironment& environment) {
  return steamLibraryFolders(environment);
}

}  // namespace valdor::wine
