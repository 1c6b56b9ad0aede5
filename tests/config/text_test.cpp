#include <gtest/gtest.h>

#include "config/text.h"

using namespace valdor::config;

TEST(Text, OnlyAsciiLettersFold) {
  EXPECT_EQ(toLowerAscii("Engine.Setup"), "engine.setup");
  EXPECT_EQ(toLowerAscii("\xc4\xd6"), "\xc4\xd6");  // Windows-1252 capitals stay
  EXPECT_FALSE(equalsIgnoreCase("\xe4", "\xc4"));
  EXPECT_TRUE(equalsIgnoreCase("Render.GlobalVisualLoDFactor", "render.globalvisuallodfactor"));
}

TEST(Text, ComparisonsNeedTheWholeLength) {
  EXPECT_FALSE(equalsIgnoreCase("Hz", "Hz "));
  EXPECT_TRUE(startsWithIgnoreCase("Deutsch", "DEU"));
  EXPECT_TRUE(startsWithIgnoreCase("Deutsch", ""));
  EXPECT_FALSE(startsWithIgnoreCase("De", "Deu"));
}

TEST(Text, EntryTextsFoldEveryWindows1252Capital) {
  EXPECT_TRUE(equalsIgnoreCaseCp1252("HORIZONTALE UNSCH\xc4RFE", "horizontale unsch\xe4rfe"));
  EXPECT_TRUE(equalsIgnoreCaseCp1252("\xc0\xd6\xdc\xde\x8a\x8c\x8e\x9f", "\xe0\xf6\xfc\xfe\x9a\x9c\x9e\xff"));
  EXPECT_FALSE(equalsIgnoreCaseCp1252("\xd7", "\xf7"));  // multiplication and division signs
  EXPECT_FALSE(equalsIgnoreCaseCp1252("a", "a "));
  // 26 ASCII capitals, 30 accented ones and four more; no small letter
  // (ß, µ, ÿ among them) has another form.
  int folded = 0;
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    if (lowerCp1252(c) != c) ++folded;
    EXPECT_EQ(lowerCp1252(lowerCp1252(c)), lowerCp1252(c)) << byte;
  }
  EXPECT_EQ(folded, 60);
  EXPECT_EQ(lowerCp1252('\xdf'), '\xdf');
}
