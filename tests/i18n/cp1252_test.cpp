#include <gtest/gtest.h>

#include "i18n/cp1252.h"

using valdor::i18n::cp1252ToUtf8;
using valdor::i18n::utf8ToCp1252;

TEST(Cp1252, UmlautsAndTheWindowsOnlyCharactersDecode) {
  EXPECT_EQ(cp1252ToUtf8("Gr\xf6\xdf" "e \xc4\xd6\xdc"), "Gr\xc3\xb6\xc3\x9f" "e \xc3\x84\xc3\x96\xc3\x9c");
  EXPECT_EQ(cp1252ToUtf8("\x80"), "\xe2\x82\xac") << "euro sign";
  EXPECT_EQ(cp1252ToUtf8("\x84\x93"), "\xe2\x80\x9e\xe2\x80\x9c") << "German quotation marks";
  EXPECT_EQ(cp1252ToUtf8("\x9f"), "\xc5\xb8");
}

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(Cp1252, CharactersWithoutAByteAndBrokenUtf8BecomeQuestionMarks) {
  EXPECT_EQ(utf8ToCp1252("\xd0\x96"), "?") << "Cyrillic";
  EXPECT_EQ(utf8ToCp1252("\xf0\x9f\x98\x80"), "?") << "emoji";
  EXPECT_EQ(utf8ToCp1252("a\xc3"), "a?");
  EXPECT_EQ(utf8ToCp1252("\xc3(x"), "?(x");
}
