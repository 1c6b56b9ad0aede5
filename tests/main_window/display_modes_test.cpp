#include "main_window/display_modes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace valdor::main_window {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;

// ---- the list ----

TEST(FillDisplayModes, ListsEachModeOnceByWidthThenHeightThenRefreshRate) {
  const platform::FixedDisplayModeSource source({{1024, 768, 75}, {800, 600, 60}, {1024, 768, 60}, {800, 600, 60},
                                                 {1024, 600, 60}, {1920, 1080, 60}, {800, 600, 0}});
  EXPECT_THAT(FillDisplayModes(source), ElementsAre("800x600@0Hz", "800x600@60Hz", "1024x600@60Hz", "1024x768@60Hz",
                                                    "1024x768@75Hz", "1920x1080@60Hz"));
}

TEST(FillDisplayModes, LeavesOutModesNarrowerThan640AndNothingElse) {
  const platform::FixedDisplayModeSource source({{639, 480, 60}, {640, 200, 0}, {320, 240, 60}, {4294967295u, 1, 1}});
  EXPECT_THAT(FillDisplayModes(source), ElementsAre("640x200@0Hz", "4294967295x1@1Hz"));
}

TEST(EntryText, IsPlainDecimalOfWhatWasStored) {
  EXPECT_EQ(entryText(0, 0, 0), "0x0@0Hz");
  EXPECT_EQ(entryText(-1, 768, 60), "-1x768@60Hz");
}

TEST(EntryText, SplitsAtTheFirstXThenAtAndH) {
  const auto parts = splitEntryText("1280x1024@75Hz");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->width, "1280");
  EXPECT_EQ(parts->height, "1024");
  EXPECT_EQ(parts->refreshRate, "75");
  for (const char* text : {"", "1280", "1280x1024", "1280x1024@75", "1280@75Hzx", "Hz@1280x"}) {
    EXPECT_FALSE(splitEntryText(text)) << text;
  }
}

// ---- aspect ratio ----

TEST(AspectRatio, FollowsTheLimitsOfTheGame) {
  // 1.4 and 1.6 are single-precision limits, compared with a double ratio:
  // exactly 1.4 lies above its limit, exactly 1.6 below its own.
  const struct {
    const char* entry;
    const char* ratio;
  } rows[] = {
      {"640x480@60Hz", "4:3"},    {"720x576@50Hz", "5:4"},    {"720x480@60Hz", "16:10"},
      {"1280x1024@60Hz", "5:4"},  {"1400x1000@60Hz", "16:10"}, {"1400x1050@60Hz", "4:3"},
      {"1280x800@60Hz", "16:10"}, {"1680x1050@60Hz", "16:10"}, {"1280x768@60Hz", "16:9"},
      {"1360x768@60Hz", "16:9"},  {"1920x1080@60Hz", "16:9"},
  };
  for (const auto& row : rows) EXPECT_THAT(aspectRatioOf(row.entry), Optional(std::string_view(row.ratio))) << row.entry;
}

TEST(AspectRatio, ReadsNumbersLikeTheCRuntime) {
  // Leading blanks and a plus sign are skipped and a number stops at the
  // first character that cannot continue it.
  EXPECT_THAT(aspectRatioOf(" +1280junkx 1024.0junk@60Hz"), Optional(std::string_view("5:4")));
}

TEST(AspectRatio, TextWithoutAPositiveSizeGivesNone) {
  for (const char* text : {"", "1280", "1280x1024", "x768@60Hz", "1280x@60Hz", "1280x0@60Hz", "0x0@0Hz",
                           "-1x768@60Hz", "abcxdef@Hz", "1e999x768@60Hz", "nanx768@60Hz"}) {
    EXPECT_EQ(aspectRatioOf(text), std::nullopt) << text;
  }
}

TEST(UpdateAspectRatio, KeepsTheTextWhenNoEntryIsChosen) {
  const std::vector<std::string> entries{"1920x1080@60Hz", "1024x768@60Hz"};
  EXPECT_EQ(UpdateAspectRatio(entries, std::nullopt), std::nullopt);
  EXPECT_EQ(UpdateAspectRatio({}, 0), std::nullopt);
  EXPECT_THAT(UpdateAspectRatio(entries, 1), Optional(std::string_view("4:3")));
}

// ---- choosing an entry ----

TEST(ChooseEntry, SearchesFromTheSecondEntryAndWrapsToTheFirst) {
  const std::vector<std::string> twice{"1024x768@60Hz", "800x600@60Hz", "1024x768@60Hz"};
  EXPECT_THAT(chooseEntry(twice, "1024x768@60Hz", std::nullopt), Optional(2u));
  const std::vector<std::string> once{"1024x768@60Hz", "800x600@60Hz"};
  EXPECT_THAT(chooseEntry(once, "1024X768@60hz", 1), Optional(0u));
}

TEST(ChooseEntry, KeepsTheCurrentChoiceWhenNothingMatches) {
  const std::vector<std::string> entries{"1024x768@60Hz", "800x600@60Hz"};
  EXPECT_THAT(chooseEntry(entries, "0x0@0Hz", 1), Optional(1u));
  EXPECT_EQ(chooseEntry(entries, "1024x768@75Hz", std::nullopt), std::nullopt);
  EXPECT_EQ(chooseEntry({}, "1024x768@60Hz", std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace valdor::main_window
