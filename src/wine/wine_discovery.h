#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Finding the game for players who run it under Wine or Proton: its files lie
// in a Wine prefix, and the UserOptions.ini it reads in that prefix's
// Documents folder, not in the one of the Linux home.
namespace valdor::wine {

// Where an installation was found.
enum class InstallationSource { Steam, Lutris, Heroic, Bottles, Wine };

// "steam", "lutris", "heroic", "bottles" or "wine".
std::string_view sourceName(InstallationSource source);

// What the search looks at besides the folders themselves, so that it can be
// run on a home built anywhere.
struct DiscoveryEnvironment {
  std::filesystem::path home;
  std::optional<std::filesystem::path> winePrefix;  // $WINEPREFIX
  std::filesystem::path dataHome;                   // $XDG_DATA_HOME, by default ~/.local/share
  std::filesystem::path configHome;                 // $XDG_CONFIG_HOME, by default ~/.config
  std::string user;                                 // $USER: Wine names the prefix's user folder so

  // A home with the default folders, no $WINEPREFIX and no user name.
  static DiscoveryEnvironment forHome(const std::filesystem::path& home);
  // The running process's home and variables.
  static DiscoveryEnvironment fromProcess();
};

struct WineInstallation {
  std::filesystem::path gameFolder;  // the game folder as a Linux path
  std::filesystem::path prefix;      // the Wine prefix whose registry names it
  std::filesystem::path documents;   // that prefix's Documents folder
  InstallationSource source;
};

// The registry keys that name the game folder in a prefix: the 64-bit view
// and the one a 32-bit game gets in a 64-bit prefix.
inline constexpr std::string_view kGameKey = "Software\\Halvikor\\Valdor III";
inline constexpr std::string_view kGameKey32 = "Software\\Wow6432Node\\Halvikor\\Valdor III";

// Every library folder of every Steam root under the environment's home,
// each once, in the order the search visits them.
std::vector<std::filesystem::path> steamLibrariesOf(const DiscoveryEnvironment& environment);

// Every installation in the prefixes of Steam (Proton), Lutris, Heroic,
// Bottles, $WINEPREFIX and ~/.wine, in that order; a prefix reached twice
// (through a link, or by two of them) counts once. Only game folders that
// hold Ini/ve3.ini count. Files and folders beyond the search's limits (over
// 4096 entries in a folder, 512 prefixes, launcher files over 1 MB, registry
// hives over 64 MB) are passed over as unreadable.
std::vector<WineInstallation> findWineInstallations(const DiscoveryEnvironment& environment);

// The installations one prefix's registry names, found as `source`.
std::vector<WineInstallation> installationsInPrefix(const std::filesystem::path& prefix, InstallationSource source,
                                                    const DiscoveryEnvironment& environment);

// The `prefix:` of a Lutris game file's `game:` section; "~" and "$HOME" at
// its start stand for the home folder. nullopt when there is none and for a
// text over 1 MB, which Lutris never writes.
std::optional<std::filesystem::path> lutrisPrefix(std::string_view yaml, const std::filesystem::path& home);

// Whether a folder is a Wine prefix: it holds drive_c and system.reg.
bool isWinePrefix(const std::filesystem::path& folder);

// The prefix a file or folder lies in, found by walking up to the first
// folder that is a prefix; nullopt outside of any.
std::optional<std::filesystem::path> enclosingPrefix(const std::filesystem::path& path);

// The prefix a game folder belongs to: the one it lies in, else, for a game
// in a Steam library's steamapps/common, the Proton prefix of the app whose
// manifest names that folder, in any Steam library.
std::optional<std::filesystem::path> prefixOfGame(const std::filesystem::path& gameFolder,
                                                  const DiscoveryEnvironment& environment);

// A Windows path of the prefix as a Linux path: C: is drive_c, other drive
// letters follow their link in dosdevices. Names are matched without regard to
// case where the exact one is missing, as Wine does. nullopt for paths without
// a drive letter and for drives without a link.
std::optional<std::filesystem::path> linuxPathInPrefix(const std::filesystem::path& prefix,
                                                       std::string_view windowsPath);

// The prefix's Documents folder: drive_c/users/<user>/Documents, where the
// user is steamuser for Proton and otherwise the prefix's own (the one the game
// already wrote to, else the one named like the Linux user, else the first).
// "My Documents" where only that exists.
std::filesystem::path prefixDocuments(const std::filesystem::path& prefix, bool proton, std::string_view user);

// Whether a prefix is one of Proton's: Steam's steamapps/compatdata/<id>/pfx.
bool isProtonPrefix(const std::filesystem::path& prefix);

}  // namespace valdor::wine
