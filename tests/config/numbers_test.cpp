#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "config/numbers.h"

using namespace valdor::config;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::uint64_t kUint32Max = std::numeric_limits<std::uint32_t>::max();

// 10^-401 written out: "0.", 400 zeros and a 1.
std::string tinyWrittenOut() { return "0." + std::string(400, '0') + "1"; }

// 10^400 written out.
std::string hugeWrittenOut() { return "1" + std::string(400, '0'); }

}  // namespace

// ---- blanks ----

TEST(Numbers, EachReadingHasItsOwnBlanks) {
  for (char c : std::string(" \t\n\v\f\r")) EXPECT_TRUE(isRuntimeBlank(c)) << int{c};
  EXPECT_FALSE(isRuntimeBlank('\x1a'));
  EXPECT_FALSE(isRuntimeBlank('\0'));

  // Line ends never reach the profile trimming; Ctrl-Z does.
  for (char c : std::string(" \t\v\f\x1a")) EXPECT_TRUE(isProfileBlank(c)) << int{c};
  EXPECT_FALSE(isProfileBlank('\n'));
  EXPECT_FALSE(isProfileBlank('\r'));

  EXPECT_TRUE(isProfileIntBlank('\x01'));
  EXPECT_TRUE(isProfileIntBlank(' '));
  EXPECT_FALSE(isProfileIntBlank('!'));
  EXPECT_FALSE(isProfileIntBlank('\xa0'));  // a no-break space in Windows-1252 is no blank
}

TEST(Numbers, TrimmingDropsRuntimeBlanksAtBothEndsOnly) {
  EXPECT_EQ(trimRuntimeBlanks("\t 1 2\r\n"), "1 2");
  EXPECT_EQ(skipRuntimeBlanks("\v 12 "), "12 ");
  EXPECT_EQ(trimRuntimeBlanks(" \f "), "");
}

// ---- whole numbers ----

TEST(Numbers, DigitsAreOnlyZeroToNineAndNeedOne) {
  EXPECT_TRUE(isDigits("0123"));
  for (const char* text : {"", "+1", "-1", " 1", "1 ", "1.0", "\xb2", "1e3"}) EXPECT_FALSE(isDigits(text)) << text;
}

TEST(Numbers, DigitsKeepLeadingZerosAndStopAtTheLimitNotTheLength) {
  EXPECT_EQ(parseDigits("000000000004294967295", kUint32Max), kUint32Max);
  EXPECT_EQ(parseDigits("4294967296", kUint32Max), std::nullopt);
  EXPECT_EQ(parseDigits("99999999999999999999999", kUint32Max), std::nullopt);  // beyond 64 bits too
  EXPECT_EQ(parseDigits("+5", kUint32Max), std::nullopt);
  EXPECT_EQ(parseDigits("", kUint32Max), std::nullopt);
}

TEST(Numbers, WholeNumbersTakeAPlusAlwaysAndAMinusOnlyWhereTheRangeHasNegatives) {
  EXPECT_EQ(parseWhole("+7", 0, kUint32Max), 7);
  EXPECT_EQ(parseWhole("-0", 0, kUint32Max), std::nullopt);
  EXPECT_EQ(parseWhole("-0", kInt32Min, kInt32Max), 0);
  EXPECT_EQ(parseWhole("+-7", kInt32Min, kInt32Max), std::nullopt);
  EXPECT_EQ(parseWhole("-", kInt32Min, kInt32Max), std::nullopt);
  EXPECT_EQ(parseWhole(" 7", kInt32Min, kInt32Max), std::nullopt);
}

TEST(Numbers, WholeNumbersStayWithinTheirLimitsOnBothSides) {
  EXPECT_EQ(parseWhole("-2147483648", kInt32Min, kInt32Max), kInt32Min);
  EXPECT_EQ(parseWhole("-2147483649", kInt32Min, kInt32Max), std::nullopt);
  EXPECT_EQ(parseWhole("2147483647", kInt32Min, kInt32Max), kInt32Max);
  EXPECT_EQ(parseWhole("2147483648", kInt32Min, kInt32Max), std::nullopt);
  EXPECT_EQ(parseWhole("0", 1, 10), std::nullopt);
  constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(parseWhole("-9223372036854775808", kInt64Min, 0), kInt64Min);
  EXPECT_EQ(parseWhole("18446744073709551615", -10, -1), std::nullopt);  // no wrap into the range
}

TEST(Numbers, DigitsAsSingleRoundOnceAndRefuseBeyondTheFloatRange) {
  EXPECT_EQ(parseDigitsAsSingle("3500"), 3500.0f);
  EXPECT_EQ(parseDigitsAsSingle("16777217"), 16777216.0f);
  // Rounded straight to single precision, not through a double first, which
  // would land on the tie and round down to 2^53.
  EXPECT_EQ(parseDigitsAsSingle("9007199791611905"), 9007200328482816.0f);
  EXPECT_EQ(parseDigitsAsSingle("1" + std::string(39, '0')), std::nullopt);
  EXPECT_EQ(parseDigitsAsSingle("1.5"), std::nullopt);
}

TEST(Numbers, LeadingWholeReadsLikeAtoiAndWrapsBeyond32Bits) {
  const std::vector<std::pair<std::string, std::uint32_t>> cases{
      {" \t\n12ab", 12u},   {"-5", 0u - 5u},          {"+7", 7u},           {"abc", 0u},
      {"", 0u},             {"- 5", 0u},              {"--5", 0u},          {"12.9", 12u},
      {"4294967296", 0u},   {"4294967297", 1u},       {"99999999999", 1215752191u}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(leadingWhole(text), expected) << text;
}

// ---- decimals ----

TEST(Numbers, ADecimalNeedsADigitAndTakesAnExponentOnlyWithDigits) {
  const std::vector<std::pair<std::string, std::size_t>> cases{
      {"12.5x", 4}, {"-.5", 3},  {"7.", 2},   {"1e", 1},     {"1e+", 1},   {"2.5e-1x", 6},
      {".", 0},     {"+", 0},    {"-e5", 0},  {"1,5", 1},    {"0x10", 1},  {"inf", 0},
      {"nan", 0},   {"--1", 0},  {"1E3", 3},  {"1.2.3", 3}};
  for (const auto& [text, length] : cases) EXPECT_EQ(decimalLength(text), length) << text;
}

TEST(Numbers, ADecimalReadsWithAPointInEveryLocale) {
  EXPECT_EQ(parseDecimal("0.015"), 0.015);
  EXPECT_EQ(parseDecimal("+3.25"), 3.25);
  EXPECT_EQ(parseDecimal("-.5"), -0.5);
  EXPECT_EQ(parseDecimal("2.5E-1"), 0.25);
  for (const char* text : {"", "0,5", " 1", "1 ", "1e", "inf", "0x1p3", "1.5x"}) {
    EXPECT_EQ(parseDecimal(text), std::nullopt) << text;
  }
}

TEST(Numbers, TooLargeGivesAnInfinityWithItsSignWhateverTheSpelling) {
  for (const std::string& text : {std::string("1e400"), std::string("0.001e400"), hugeWrittenOut(),
                                  "0." + std::string(10, '0') + "1e500", std::string("1e99999999999999999999999"),
                                  std::string("1.8e308")}) {
    EXPECT_EQ(parseDecimal(text), kInfinity) << text;
    EXPECT_EQ(parseDecimal("-" + text), -kInfinity) << text;
  }
  EXPECT_EQ(parseDecimal("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

TEST(Numbers, TooSmallGivesAZeroWithItsSignWhateverTheSpelling) {
  // Large digits with a larger negative exponent are still too small, and a
  // long written-out number with a negative exponent is still too large.
  for (const std::string& text : {std::string("1e-400"), tinyWrittenOut(), std::string("1000e-400"),
                                  std::string("2e-324"), std::string("1e-99999999999999999999999")}) {
    const auto value = parseDecimal(text);
    ASSERT_TRUE(value) << text;
    EXPECT_EQ(*value, 0.0) << text;
    EXPECT_FALSE(std::signbit(*value)) << text;
    const auto negative = parseDecimal("-" + text);
    ASSERT_TRUE(negative) << text;
    EXPECT_TRUE(*negative == 0.0 && std::signbit(*negative)) << text;
  }
  EXPECT_EQ(parseDecimal(hugeWrittenOut() + "e-10"), kInfinity);
}

TEST(Numbers, TwoSpellingsOfOneNumberReadAlike) {
  const std::vector<std::pair<std::string, std::string>> pairs{
      {"1e-400", tinyWrittenOut()},       {"1e400", hugeWrittenOut()},   {"1e-310", "0." + std::string(309, '0') + "1"},
      {"0.25", "2.5e-1"},                 {"1e22", "10000000000000000000000"}};
  for (const auto& [one, other] : pairs) EXPECT_EQ(parseDecimal(one), parseDecimal(other)) << one;
  EXPECT_GT(*parseDecimal("1e-310"), 0.0);  // numbers below the normal range keep what precision they have
}

TEST(Numbers, LeadingDecimalReadsLikeAtof) {
  const std::vector<std::pair<std::string, double>> cases{
      {"  2.5e-1x", 0.25}, {"\n-3", -3.0},  {"1,5", 1.0},  {"2e3", 2000.0},  {"abc", 0.0},  {"--1", 0.0},
      {"1e", 1.0},         {"7.", 7.0},     {"", 0.0},     {"inf", 0.0},     {"1e-400", 0.0}, {"1280x", 1280.0}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(leadingDecimal(text), expected) << text;
  EXPECT_EQ(leadingDecimal(" -1e400 and more"), -kInfinity);
  EXPECT_EQ(leadingDecimal(tinyWrittenOut() + "x"), 0.0);
}
