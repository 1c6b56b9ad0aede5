#include "cli/wine_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "cli/run_command.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::cli {
namespace {

namespace fs = std::filesystem;

// The variables the search reads point at a home in a temporary folder for
// the life of the object; the real home is never looked at.
class FakeHome {
 public:
  FakeHome() : m_root(fs::canonical(m_dir.path())) {
    for (const char* name : kNames) {
      if (const char* value = std::getenv(name)) m_saved[name] = value;
      test::unsetEnv(name);
    }
    fs::create_directories(home());
    test::setEnv("HOME", home().string());
    test::setEnv("USER", "player");
  }

  ~FakeHome() {
    for (const char* name : kNames) {
      auto saved = m_saved.find(name);
      if (saved == m_saved.end()) {
        test::unsetEnv(name);
      } else {
        test::setEnv(name, saved->second);
      }
    }
  }

  fs::path root() const { return m_root; }
  fs::path home() const { return m_root / "home"; }

  // A prefix whose registry names the game folder through the Z: drive.
  void prefix(const fs::path& folder, const fs::path& game, std::string_view user) const {
    fs::create_directories(folder / "drive_c/users" / user / "Documents");
    fs::create_directories(folder / "dosdevices");
    fs::create_directory_symlink("/", folder / "dosdevices/z:");
    std::string path;
    for (char c : "Z:" + game.string()) path += c == '/' ? std::string("\\\\") : std::string(1, c);
    test::writeBytes(folder / "system.reg", "WINE REGISTRY Version 2\n\n[Software\\\\Halvikor\\\\Valdor III] 1700000000\n"
                               "\"INSTALL_DIR\"=\"" + path + "\"\n");
    test::writeBytes(game / "Ini/ve3.ini", "[Engine.Setup]\r\n");
  }

 private:
  static constexpr const char* kNames[] = {"HOME", "USER", "WINEPREFIX", "XDG_DATA_HOME", "XDG_CONFIG_HOME"};
  test::TempDir m_dir;
  fs::path m_root;
  std::map<std::string, std::string> m_saved;
};

TEST(LocateAll, PrintsOneBlockPerInstallationWithWhereItWasFoundAndFailsWithoutOne) {
  VALDOR_SKIP_ON_WINDOWS("searches Wine prefixes in a Unix home, which only the Linux build does");
  FakeHome fake;
  const auto state = (fake.root() / "state").string();
  const Outcome none = run({"--state-dir", state, "locate", "--all"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_TRUE(none.out.empty());
  EXPECT_NE(none.err.find("Wine"), std::string::npos);

  const auto pfx = fake.home() / ".local/share/Steam/steamapps/compatdata/5/pfx";
  fake.prefix(pfx, fake.root() / "steam game", "steamuser");
  fake.prefix(fake.home() / ".wine", fake.root() / "wine game", "player");
  const Outcome result = run({"--state-dir", state, "locate", "--all"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const auto root = fake.root().string();
  const auto home = fake.home().string();
  EXPECT_EQ(result.out,
            "gameFolder=" + root + "/steam game\n"
            "prefix=" + pfx.string() + "\n"
            "source=steam\n"
            "translationFile=" + state + "/translation.ini\n"
            "userOptionsIni=" + pfx.string() + "/drive_c/users/steamuser/Documents/valdor3/UserOptions.ini\n"
            "engineIni=" + root + "/steam game/Ini/ve3.ini\n"
            "debugIni=" + root + "/steam game/Ini/debug.ini\n"
            "\n"
            "gameFolder=" + root + "/wine game\n"
            "prefix=" + home + "/.wine\n"
            "source=wine\n"
            "translationFile=" + state + "/translation.ini\n"
            "userOptionsIni=" + home + "/.wine/drive_c/users/player/Documents/valdor3/UserOptions.ini\n"
            "engineIni=" + root + "/wine game/Ini/ve3.ini\n"
            "debugIni=" + root + "/wine game/Ini/debug.ini\n");

  // A given documents folder wins here too.
  const auto docs = (fake.root() / "docs").string();
  const Outcome given = run({"--state-dir", state, "--documents-dir", docs, "locate", "--all"});
  EXPECT_NE(given.out.find("userOptionsIni=" + docs + "/valdor3/UserOptions.ini\n"), std::string::npos);
}

TEST(Locate, TheDocumentsFolderStoredWithTheGameFolderIsUsed) {
  FakeHome fake;
  test::writeBytes(fake.root() / "state/settings.ini",
      "[SOFTWARE\\Halvikor\\Valdor III]\r\nINSTALL_DIR=\"/games/Valdor 3\"\r\n"
      "V3TU_DOCUMENTS_DIR=\"/prefix/drive_c/users/steamuser/Documents\"\r\n");
  const Outcome result = run({"--state-dir", (fake.root() / "state").string(), "locate"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("userOptionsIni=/prefix/drive_c/users/steamuser/Documents" +
                            test::native("/valdor3/UserOptions.ini") + "\n"),
            std::string::npos)
      << result.out;
}

}  // namespace
}  // namespace valdor::cli
