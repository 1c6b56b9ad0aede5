// The search for the game under Wine and Proton as the start-up runs it when
// nothing is stored: a generated home with ten Steam libraries and fifty
// prefixes, each with a registry file of a real prefix's size.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "wine/wine_discovery.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLibraries = 10;
constexpr int kSteamPrefixes = 40;  // four in each library
constexpr int kOtherPrefixes = 10;  // Lutris, Heroic, Bottles and ~/.wine

void put(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// About 1.4 MB, like the system.reg of a fresh 64-bit prefix: thousands of
// class keys with a few values each; the game's key, when wanted, near the end.
std::string registry(const std::string& gameKeyValue) {
  std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
  for (int key = 0; key < 12000; ++key) {
    const auto id = std::to_string(key);
    text += "[Software\\\\Classes\\\\CLSID\\\\{" + id +
            "-0000-0000-C000-000000000046}\\\\InprocServer32] 1700000000\n";
    text += "#time=1d9f0c4a5b6e7f0\n@=\"C:\\\\windows\\\\system32\\\\ole32.dll\"\n";
    text += "\"ThreadingModel\"=\"Both\"\n\n";
  }
  if (!gameKeyValue.empty()) {
    text += "[Software\\\\Wow6432Node\\\\Halvikor\\\\Valdor III] 1700000000\n";
    text += "\"INSTALL_DIR\"=\"" + gameKeyValue + "\"\n\n";
  }
  text += "[System\\\\Select] 1700000000\n\"Current\"=dword:00000001\n";
  return text;
}

void prefix(const fs::path& folder, const std::string& registryText) {
  fs::create_directories(folder / "drive_c/users/steamuser/Documents");
  fs::create_directories(folder / "dosdevices");
  fs::create_directory_symlink("../drive_c", folder / "dosdevices/c:");
  fs::create_directory_symlink("/", folder / "dosdevices/z:");
  put(folder / "system.reg", registryText);
}

struct GeneratedHome {
  fs::path root;
  valdor::wine::DiscoveryEnvironment environment;

  GeneratedHome() {
    std::string pattern = (fs::temp_directory_path() / "valdor-bench-XXXXXX").string();
    root = mkdtemp(pattern.data());
    const auto home = root / "home";
    environment = valdor::wine::DiscoveryEnvironment::forHome(home);
    const std::string plain = registry("");

    const auto steam = home / ".local/share/Steam";
    fs::create_directories(home / ".steam");
    fs::create_directory_symlink(steam, home / ".steam/steam");
    std::string vdf = "\"libraryfolders\"\n{\n";
    for (int library = 0; library < kLibraries; ++library) {
      const auto folder = library == 0 ? steam : root / ("disk" + std::to_string(library)) / "SteamLibrary";
      vdf += "\t\"" + std::to_string(library) + "\"\n\t{\n\t\t\"path\"\t\t\"" + folder.string() + "\"\n\t}\n";
      for (int game = 0; game < kSteamPrefixes / kLibraries; ++game) {
        const auto pfx = folder / "steamapps/compatdata" / std::to_string(1000 * library + game) / "pfx";
        // One Proton game, its files in the last library, its prefix in the first.
        if (library == 0 && game == 0) {
          const auto gameFolder =
              root / ("disk" + std::to_string(kLibraries - 1)) / "SteamLibrary/steamapps/common/Valdor 3";
          put(gameFolder / "Ini/ve3.ini", "[Engine.Setup]\r\n");
          std::string zPath = "Z:" + gameFolder.string();
          std::string escaped;
          for (char c : zPath) escaped += c == '/' ? std::string("\\\\") : std::string(1, c);
          prefix(pfx, registry(escaped));
        } else {
          prefix(pfx, plain);
        }
      }
    }
    put(steam / "steamapps/libraryfolders.vdf", vdf + "}\n");

    for (int other = 0; other < kOtherPrefixes; ++other) {
      const auto name = "game" + std::to_string(other);
      fs::path folder;
      if (other < 4) {
        folder = home / "Games" / name;
        put(home / ".config/lutris/games" / (name + ".yml"), "game:\n  prefix: " + folder.string() + "\n");
      } else if (other < 7) {
        folder = home / "Games/Heroic/Prefixes/default" / name;
      } else if (other < 9) {
        folder = home / ".local/share/bottles/bottles" / name;
      } else {
        folder = home / ".wine";
      }
      prefix(folder, plain);
    }
  }

  ~GeneratedHome() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

void BM_FindWineInstallations(benchmark::State& state) {
  static const GeneratedHome home;
  std::size_t found = 0;
  for (auto _ : state) {
    const auto installations = valdor::wine::findWineInstallations(home.environment);
    found = installations.size();
    benchmark::DoNotOptimize(found);
  }
  if (found != 1) state.SkipWithError("the generated installation was not found");
  state.counters["prefixes"] = kSteamPrefixes + kOtherPrefixes;
}
BENCHMARK(BM_FindWineInstallations)->Unit(benchmark::kMillisecond);

}  // namespace
