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
