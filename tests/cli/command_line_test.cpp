#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <vector>

#include "cli/program_options.h"
#include "config/commit.h"
#include "cli/run_command.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::cli {
namespace {

// ---- program options ----

TEST(ProgramOptions, OptionsComeBeforeTheCommandWhoseArgumentsAreLeftAlone) {
  const std::vector<std::string> args{"--game-dir", "/g", "--state-dir=/s", "--language=English",
                                      "ini", "get", "--default=x", "f", "s", "k"};
  const auto parsed = parseProgramOptions(args);
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->gameDir, std::filesystem::path("/g"));
  EXPECT_EQ(parsed.options->stateDir, std::filesystem::path("/s"));
  EXPECT_EQ(parsed.options->documentsDir, std::nullopt);
  EXPECT_EQ(parsed.options->language, "english");
  EXPECT_EQ(parsed.options->command, (std::vector<std::string>{"ini", "get", "--default=x", "f", "s", "k"}));

  const std::vector<std::string> none;
  EXPECT_TRUE(parseProgramOptions(none).options->command.empty());
  const std::vector<std::string> dashes{"--", "--odd-command"};
  EXPECT_EQ(parseProgramOptions(dashes).options->command, std::vector<std::string>{"--odd-command"});
}

TEST(ProgramOptions, BadOptionsGiveTheUsageAndExitStatus2) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--unknown"}, {"--game-dir"}, {"--game-dir="}, {"--language", "francais"}, {"-x", "locate"}}) {
    const Outcome result = run(args);
    EXPECT_EQ(result.exitCode, 2) << args[0];
    EXPECT_NE(result.err.find("Usage: valdor3-tuning"), std::string::npos) << args[0];
  }
  EXPECT_EQ(run({"ini", "frobnicate"}).exitCode, 2);
  EXPECT_EQ(run({"ini", "get", "file", "section"}).exitCode, 2);
  EXPECT_EQ(run({"ini", "get", "--size=0", "f", "s", "k"}).exitCode, 2);
  EXPECT_EQ(run({"ini", "get-int", "--default=1.5", "f", "s", "k"}).exitCode, 2);
  EXPECT_EQ(run({"ini", "get-int", "--default=+-5", "f", "s", "k"}).exitCode, 2);
  EXPECT_EQ(run({"ini", "get-int", "--default=2147483648", "f", "s", "k"}).exitCode, 2);
  EXPECT_EQ(run({"locate", "extra"}).exitCode, 2);
}

TEST(ProgramOptions, HelpAndVersionNeedNoCommand) {
  EXPECT_EQ(run({"--version"}).out, "valdor3-tuning 1.12\n");
  const Outcome help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: valdor3-tuning [OPTIONS] [COMMAND ...]\n"));
  EXPECT_EQ(runCommandLine(ProgramOptions{}, std::cout, std::cerr), std::nullopt);
}

// The paragraphs built from the settings rows and the models' limits, as
// earlier versions printed them word for word.
constexpr std::string_view kGeneratedUsage =
    "                       scale a column (Common, Low, Medium, High) up by N or +N %, down by -N %\n"
    "  cache defaults       save the default cache budgets\n"
    "  other show           show the other settings, one KEY=VALUE a line\n"
    "  other set KEY=VALUE...\n"
    "                       change other settings and save them as the other settings window does\n"
    "  other defaults       save the other settings' default values\n"
    "\n"
    "The main commands show values in --language (english when not given) and take them in\n"
    "English or German, case ignored. KEY is a key of the game's files or Resolution; VALUE\n"
    "an entry of the editor's list, a whole number for a number field, or WxH@RHz for\n"
    "Resolution. Without the editor there is no list of display modes: Resolution shows the\n"
    "stored mode, set takes any mode at least 640 wide, and the resolution is written only\n"
    "when set names it (defaults leaves it as stored). Nothing is written when a KEY or\n"
    "VALUE is not known.\n"
    "\n"
    "The cache commands name each budget by its key in ve3.ini (case ignored) and show it as\n"
    "KEY=BYTES (MB); Total.COLUMN is a column's sum, FinalCache.LEVEL (Low, Medium, High) the\n"
    "level's total plus the high-texture budget. BYTES is digits only, up to 4294967295.\n"
    "Nothing is written when a KEY, BYTES, COLUMN or PERCENT is not taken.\n"
    "\n"
    "The other commands name each value by its key in ve3.ini or debug.ini (case ignored).\n"
    "VALUE is a whole number (no minus sign for the FpS keys), a decimal number with a point\n"
    "for Render.GlobalVisualLoDFactor, or enabled/disabled in English or German for\n"
    "PlayerMemory.Enabled and TestMode. Nothing is written when a KEY or VALUE is not taken.\n";

TEST(ProgramOptions, UsageNamesTheRowsKeysColumnsAndLimits) {
  const std::string usage = usageText();
  EXPECT_TRUE(usage.ends_with(kGeneratedUsage)) << usage;
}

// ---- ini ----

class IniCommandTest : public ::testing::Test {
 protected:
  IniCommandTest()
      : m_file(m_dir.write("ve3.ini", "[Engine.Setup]\r\nRender.Name =  Gr\xF6\xDF" "e  \r\nView=-300.0\r\n"
                                      "Big=4294967295\r\n").string()) {}

  test::TempDir m_dir;
  std::string m_file;
};

TEST_F(IniCommandTest, GetPrintsTheValueAsTheFileHoldsItTrimmed) {
  EXPECT_EQ(run({"ini", "get", m_file, "engine.setup", "render.name"}).out, "Gr\xF6\xDF" "e\n");
  EXPECT_EQ(run({"ini", "get", "--size=3", m_file, "Engine.Setup", "Render.Name"}).out, "Gr\n");
  const Outcome missing = run({"ini", "get", "--default=none", "--", m_file, "Engine.Setup", "Missing"});
  EXPECT_EQ(missing.exitCode, 0);
  EXPECT_EQ(missing.out, "none\n");
}

TEST_F(IniCommandTest, GetIntPrintsTheSigned32BitResult) {
  EXPECT_EQ(run({"ini", "get-int", m_file, "Engine.Setup", "View"}).out, "-300\n");
  EXPECT_EQ(run({"ini", "get-int", m_file, "Engine.Setup", "Big"}).out, "-1\n");
  EXPECT_EQ(run({"ini", "get-int", "--default=-5", m_file, "Engine.Setup", "Missing"}).out, "-5\n");
}

TEST_F(IniCommandTest, SetWritesTheKeyAndReportsAFailureInTheLanguageAsked) {
  EXPECT_EQ(run({"ini", "set", m_file, "Engine.Setup", "View", "3500.0"}).exitCode, 0);
  EXPECT_EQ(run({"ini", "get", m_file, "Engine.Setup", "View"}).out, "3500.0\n");

  const std::string lost = (m_dir / "no-such-folder/ve3.ini").string();
  const Outcome english = run({"--language", "english", "--state-dir", (m_dir / "state").string(), "ini", "set", lost,
                           "Engine.Setup", "View", "1"});
  EXPECT_EQ(english.exitCode, 1);
  EXPECT_EQ(english.err, "Could not save\n" + lost + "\n\nThe folder does not exist.\n");
  // Without --language the editor's language; none stored yet: German, as UTF-8.
  const Outcome german = run({"--state-dir", (m_dir / "state").string(), "ini", "set", lost, "Engine.Setup", "View", "1"});
  EXPECT_EQ(german.err, "Speichern nicht m\xC3\xB6glich\n" + lost + "\n\nDer Ordner existiert nicht.\n");
}

TEST_F(IniCommandTest, SetWhileAnotherCopySavesTheFileFailsWithTheMessageNotSuccess) {
  const config::CommitSettings before = config::commitSettings();
  config::setCommitSettings({before.journalFolder, std::chrono::milliseconds(200)});
  {
    auto held = config::WriteLock::acquire(std::array<std::filesystem::path, 1>{m_file});
    ASSERT_TRUE(held.ok());
    const Outcome busy = run({"--language", "english", "--state-dir", (m_dir / "state").string(), "ini", "set",
                              m_file, "Engine.Setup", "View", "1"});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.err, "Could not save\n" + m_file +
                            "\n\nAnother copy of the tool is saving this file. Please try again in a moment.\n");
    EXPECT_EQ(run({"ini", "get", m_file, "Engine.Setup", "View"}).out, "-300.0\n");
  }
  EXPECT_EQ(run({"--state-dir", (m_dir / "state").string(), "ini", "set", m_file, "Engine.Setup", "View", "1"}).exitCode, 0);
  config::setCommitSettings(before);
}

// ---- locate ----

TEST(Locate, PrintsTheFolderThePathsAndTheLanguage) {
  test::TempDir dir;
  dir.write("state/settings.ini", "[SOFTWARE\\Halvikor\\Valdor III]\r\nINSTALL_DIR=\"/games/Valdor 3\"\r\n"
                                  "V3TU_LANGUAGE=\"English\"\r\n");
  const auto state = (dir / "state").string();
  const auto documents = (dir / "docs").string();
  const Outcome result = run({"--state-dir", state, "--documents-dir", documents, "locate"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "gameFolder=/games/Valdor 3\n"
                        "translationFile=" + state + test::native("/translation.ini") + "\n"
                        "userOptionsIni=" + documents + test::native("/valdor3/UserOptions.ini") + "\n"
                        "engineIni=/games/Valdor 3" + test::native("/Ini/ve3.ini") + "\n"
                        "debugIni=/games/Valdor 3" + test::native("/Ini/debug.ini") + "\n"
                        "language=english\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "state/translation.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir / "docs"));
}

TEST(Locate, WithoutAnInstallationItFailsWithTheMessageAndAHint) {
  test::TempDir dir;
  const Outcome result = run({"--state-dir", (dir / "state").string(), "locate"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.out.empty());
  EXPECT_NE(result.err.find("No Valdor 3 - Installation found!\nPlease find the file \"Valdor3.exe\" in the game path."),
            std::string::npos);
  EXPECT_NE(result.err.find("--game-dir"), std::string::npos);
}

}  // namespace
}  // namespace valdor::cli
