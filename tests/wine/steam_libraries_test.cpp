#include "wine/steam_libraries.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace valdor::wine {
namespace {

using Paths = std::vector<std::filesystem::path>;

TEST(SteamLibraries, BothFormsGiveTheNumberedPathsAndNothingElse) {
  // The new form: blocks with a "path" among other keys and nested blocks.
  constexpr std::string_view kNew =
      "\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\t\"-4321\"\n"
      "\t\"0\"\n\t{\n\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"1\"\n\t\t}\n"
      "\t\t\"path\"\t\t\"/home/p/.local/share/Steam\"\n\t}\n"
      "\t// a second disk\n\t\"1\"\n\t{\n\t\t\"PATH\"\t\t\"/mnt/Spiele \\\"SSD\\\"\"\n\t}\n"
      "\t\"2\"\n\t{\n\t\t\"label\"\t\t\"no path\"\n\t}\n}\n";
  EXPECT_EQ(parseLibraryFolders(kNew), (Paths{"/home/p/.local/share/Steam", "/mnt/Spiele \"SSD\""}));

  // The old form: numbered values beside the file's other values.
  constexpr std::string_view kOld =
      "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n"
      "\t\"1\"\t\t\"/mnt/games/SteamLibrary\"\n\t\"2\"\t\t\"/media/p/back\\\\slash\" [$LINUX]\n}\n";
  EXPECT_EQ(parseLibraryFolders(kOld), (Paths{"/mnt/games/SteamLibrary", "/media/p/back\\slash"}));

  EXPECT_TRUE(parseLibraryFolders("").empty());
  EXPECT_TRUE(parseLibraryFolders("\"libraryfolders\" { \"1\" ").empty());
}

// ---- texts that are no file of Steam's ----

// A library block with `depth` blocks nested in it, and a second library after.
std::string nestedInLibrary(std::size_t depth) {
  std::string text = "\"libraryfolders\" { \"0\" { \"path\" \"/first\" \"apps\" ";
  text.append(depth, '{');
  text.append(depth, '}');
  return text + " } \"1\" \"/second\" }";
}

TEST(SteamLibraries, BlocksNestedBeyondTheLimitMakeTheTextUnreadableWithoutExhaustingTheStack) {
  EXPECT_EQ(parseLibraryFolders(nestedInLibrary(60)), (Paths{"/first", "/second"}));
  // 300 KB that once overflowed the stack of `locate --all` and the editor's start.
  EXPECT_TRUE(parseLibraryFolders(nestedInLibrary(50'000)).empty());
  const std::string unclosed = "\"libraryfolders\" { \"0\" { \"x\" " + std::string(50'000, '{');
  EXPECT_TRUE(parseLibraryFolders(unclosed).empty());
  EXPECT_EQ(manifestValue("\"AppState\" { \"appid\" \"1\" \"u\" { \"k\" " + std::string(50'000, '{'), "installdir"),
            std::nullopt);
  EXPECT_EQ(manifestValue("\"AppState\" { \"u\" { \"a\" { \"b\" {} } } \"installdir\" \"Valdor 3\" }", "installdir"), "Valdor 3");
}

TEST(SteamLibraries, TextsOverTheSizeOrLibraryLimitGiveNothing) {
  std::string padded = "\"libraryfolders\" { \"1\" \"/lib\" ";
  EXPECT_EQ(parseLibraryFolders(padded + "}"), Paths{"/lib"});
  padded += "// " + std::string(4 * 1024 * 1024, 'x') + "\n}";
  EXPECT_TRUE(parseLibraryFolders(padded).empty());

  std::string many = "\"libraryfolders\" {";
  for (int i = 0; i < 256; ++i) many += " \"" + std::to_string(i) + "\" \"/lib" + std::to_string(i) + "\"";
  EXPECT_EQ(parseLibraryFolders(many + "}").size(), 256u);
  EXPECT_TRUE(parseLibraryFolders(many + " \"256\" \"/one too many\" }").empty());
}

TEST(SteamLibraries, AnUnreadableListLeavesTheRootItself) {
  test::TempDir dir;
  dir.write("steamapps/libraryfolders.vdf", nestedInLibrary(50'000));
  dir.write("config/libraryfolders.vdf", "\"libraryfolders\" { \"1\" \"/other\" }");
  EXPECT_EQ(steamLibraries(dir.path()), (Paths{dir.path(), "/other"}));
}

}  // namespace
}  // namespace valdor::wine
