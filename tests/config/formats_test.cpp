#include <gtest/gtest.h>

#include "config/formats.h"

using valdor::config::formatFixed;
using valdor::config::formatInt;
using valdor::config::formatMegabytes;

TEST(Formats, ExactHalvesRoundAwayFromZeroOnEveryPlatform) {
  EXPECT_EQ(formatFixed(1234.25f, 1), "1234.3");
  EXPECT_EQ(formatFixed(-1234.25f, 1), "-1234.3");
  EXPECT_EQ(formatFixed(0.125, 2), "0.13");
  EXPECT_EQ(formatFixed(0.5, 0), "1");
  EXPECT_EQ(formatFixed(2.5, 0), "3");
}

TEST(Formats, NonHalvesRoundByTheirExactBinaryValue) {
  EXPECT_EQ(formatFixed(0.015, 2), "0.01") << "0.015 is stored a little below the half";
  EXPECT_EQ(formatFixed(0.025, 2), "0.03") << "0.025 is stored a little above the half";
  EXPECT_EQ(formatFixed(1234.56f, 1), "1234.6");
  EXPECT_EQ(formatFixed(1200.94, 1), "1200.9");
}

TEST(Formats, WholeNumbersAndCarriesKeepTheirDecimals) {
  EXPECT_EQ(formatFixed(3500.0f, 1), "3500.0");
  EXPECT_EQ(formatFixed(0.0, 1), "0.0");
  EXPECT_EQ(formatFixed(9.96, 1), "10.0");
  EXPECT_EQ(formatFixed(999.995, 2), "1000.00");
  EXPECT_EQ(formatFixed(4294967296.0f, 1), "4294967296.0");
  EXPECT_EQ(formatFixed(-0.04, 1), "-0.0") << "printf keeps the sign of a negative that rounds to zero";
  EXPECT_EQ(formatFixed(1e300, 1).size(), 303u);
}

TEST(Formats, IntegersAndMegabytes) {
  EXPECT_EQ(formatInt(-300), "-300");
  EXPECT_EQ(formatInt(4294967295LL), "4294967295");
  EXPECT_EQ(formatMegabytes(1179648), "1.13 MB");
  EXPECT_EQ(formatMegabytes(131072), "0.13 MB");
  EXPECT_EQ(formatMegabytes(-131072), "-0.13 MB");
  EXPECT_EQ(formatMegabytes(134217728), "128.00 MB");
}
