#include "wine/steam_libraries.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace valdor::wine
