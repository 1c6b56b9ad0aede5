#include "app/config_paths.h"

#include <gtest/gtest.h>

#include "i18n/file_messages.h"
#include "support/environment.h"

namespace valdor::app {
namespace {

// ---- the documents folder ----

TEST(UserDirs, TheDocumentsEntryExpandsHome) {
  EXPECT_EQ(parseUserDirsDocuments("XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "/home/p"), "/home/p/Dokumente");
  EXPECT_EQ(parseUserDirsDocuments("XDG_DOCUMENTS_DIR=\"/data/docs/\"\n", "/home/p"), "/data/docs");
  EXPECT_EQ(parseUserDirsDocuments("XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", "/home/p"),
            "/home/p/My \"Docs\"");
}

TEST(UserDirs, OtherEntriesCommentsAndRelativeValuesAreNoDocumentsFolder) {
  constexpr std::string_view kFile =
      "# XDG_DOCUMENTS_DIR=\"$HOME/commented\"\n"
      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
      "XDG_DOCUMENTS_DIR=\"relative/docs\"\n"
      "XDG_DOCUMENTS_DIRECTORY=\"$HOME/other\"\n";
  EXPECT_EQ(parseUserDirsDocuments(kFile, "/home/p"), std::nullopt);
  EXPECT_EQ(parseUserDirsDocuments("XDG_DOCUMENTS_DIR=\"$HOME/a\"\r\nXDG_DOCUMENTS_DIR=\"$HOME/b\"\r\n", "/h"), "/h/b");
}

TEST(DocumentsFolder, AGivenFolderWinsOverTheUsersOne) {
  EXPECT_EQ(documentsFolder(std::filesystem::path("/tmp/docs")), "/tmp/docs");
}

// ---- building paths ----

TEST(ConfigPaths, PathsAreJoinedAsTextSoATrailingSeparatorIsDoubled) {
  ConfigPaths paths;
  setGameFolder(paths, "/games/Valdor 3/");
  setDocumentsFolder(paths, "/home/p/Documents");
  EXPECT_EQ(paths.engineIni.string(), "/games/Valdor 3/" + test::native("/Ini/ve3.ini"));
  EXPECT_EQ(paths.debugIni.string(), "/games/Valdor 3/" + test::native("/Ini/debug.ini"));
  EXPECT_EQ(paths.userOptionsIni.string(), "/home/p/Documents" + test::native("/valdor3/UserOptions.ini"));
}

TEST(ConfigPaths, AChosenFileIsCutAtItsLastSeparator) {
  EXPECT_EQ(folderOfFile("/games/Valdor 3/Launcher.exe"), "/games/Valdor 3");
  EXPECT_EQ(folderOfFile("/valdor3.exe"), "");
  EXPECT_EQ(folderOfFile("valdor3.exe"), "valdor3.exe");
}

// ---- messages and dialog units ----

TEST(FailureMessage, NamesTheFileInTheLanguageOrInGermanBeforeOne) {
  const auto denied =
      config::Result::failed(config::Failure::AccessDenied, "/games/Valdor 3/Ini/ve3.ini", "Permission denied");
  i18n::Translator translator;
  EXPECT_EQ(i18n::failureMessage(translator, denied),
            "Speichern nicht m\xC3\xB6glich\n/games/Valdor 3/Ini/ve3.ini\n\nZugriff verweigert.");
  translator.setLanguage("english");
  EXPECT_EQ(i18n::failureMessage(translator, denied), "Could not save\n/games/Valdor 3/Ini/ve3.ini\n\nAccess denied.");
  const auto other = config::Result::failed(config::Failure::Other, "/x/y.ini", "Input/output error");
  EXPECT_EQ(i18n::failureMessage(translator, other), "Could not save\n/x/y.ini\n\nInput/output error");
}

}  // namespace
}  // namespace valdor::app
