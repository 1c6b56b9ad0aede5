#include <gtest/gtest.h>

#include "config/value_words.h"

using namespace valdor::config;

TEST(ValueWords, StoredWordsMapToListPositionsInAnyCase) {
  EXPECT_EQ(ValueWordToIndex("TrUe", false), 1);
  EXPECT_EQ(ValueWordToIndex("FALSE", false), 0);
  EXPECT_EQ(ValueWordToIndex("MED", false), 1);
  EXPECT_EQ(ValueWordToIndex("high", false), 2);
  EXPECT_EQ(ValueWordToIndex("ultrahigh", false), 0);
  EXPECT_EQ(ValueWordToIndex("yes", false), 0);
  EXPECT_EQ(ValueWordToIndex("UltraHigh", true), 2);
  EXPECT_EQ(ValueWordToIndex("high", true), 1);
  EXPECT_EQ(ValueWordToIndex("med", true), 0);
  EXPECT_EQ(ValueWordToIndex("", true), 0);
}

