#include "i18n/file_messages.h"

#include <gtest/gtest.h>

namespace valdor::i18n {
namespace {

// ---- naming a field by its label ----
TEST(WithoutColon, DropsTheClosingColonOrSemicolonAndTheBlanksBeforeIt) {
  EXPECT_EQ(withoutColon("Sichtweite Objekte:"), "Sichtweite Objekte");
  EXPECT_EQ(withoutColon("view range high quality;"), "view range high quality");  // as the English table has it
  EXPECT_EQ(withoutColon("gesamt :  "), "gesamt");
  EXPECT_EQ(withoutColon("Speed Tree"), "Speed Tree");
  EXPECT_EQ(withoutColon("::"), "");
}

TEST(WithoutColon, KeepsAColonInsideTheLabel) {
  EXPECT_EQ(withoutColon("Sprache / language: deutsch:"), "Sprache / language: deutsch");
  EXPECT_EQ(withoutColon("a;b"), "a;b");
}

// ---- failures ----
TEST(FailureMessage, KeepsANameOutsideWindows1252AndGivesUtf8) {
  const std::string name = "/home/\xD0\xAE\xD0\xBB\xD1\x8F/\xE8\xA8\xAD\xE5\xAE\x9A.ini";  // Cyrillic, CJK
  const Translator builtIn;  // no table file: the carried table answers, in German
  const auto pipe = config::Result{config::Failure::NotARegularFile, config::Operation::Read, name, {}};
  EXPECT_EQ(failureMessage(builtIn, pipe),
            "Lesen nicht m\xC3\xB6glich\n" + name +
                "\n\nDies ist keine gew\xC3\xB6hnliche Datei, sondern ein Ordner, eine Pipe oder ein Ger\xC3\xA4t.");
}

TEST(FailureMessage, UnreadableLargeAndPrivateFolderFailuresHaveTheirOwnWords) {
  Translator english;
  english.setLanguage("english");
  auto message = [&](config::Failure failure, config::Operation operation) {
    return failureMessage(english, config::Result{failure, operation, "/x/ve3.ini", "system words"});
  };
  using config::Failure;
  using config::Operation;
  EXPECT_EQ(message(Failure::Unreadable, Operation::Read), "Could not read\n/x/ve3.ini\n\nThe file cannot be read.");
  EXPECT_EQ(message(Failure::Unreadable, Operation::Write), "Could not save\n/x/ve3.ini\n\nThe file cannot be read.");
  EXPECT_EQ(message(Failure::TooLarge, Operation::Read), "Could not read\n/x/ve3.ini\n\nThe file is too large.");
  EXPECT_NE(message(Failure::NotPrivate, Operation::Write).find("/x/ve3.ini"), std::string::npos);
  EXPECT_EQ(message(Failure::NotPrivate, Operation::Write).find("system words"), std::string::npos);
  // A file held open by the game and a folder name the game cannot read must
  // not fall back to the general message with an error number.
  EXPECT_EQ(message(Failure::InUse, Operation::Write),
            "Could not save\n/x/ve3.ini\n\nAnother program has the file open, perhaps the game. Please close it and "
            "try again.");
  Translator german;
  german.setLanguage("deutsch");
  const std::string outside =
      failureMessage(german, config::Result{Failure::OutsideCodePage, Operation::Write, "C:\\Spiele\\\u0141\u00f3d\u017a", {}});
  EXPECT_EQ(outside.rfind("Ordner nicht gespeichert\nC:\\Spiele\\\u0141\u00f3d\u017a\n\nDer Name enth\u00e4lt", 0), 0u) << outside;
}

}  // namespace
}  // namespace valdor::i18n
