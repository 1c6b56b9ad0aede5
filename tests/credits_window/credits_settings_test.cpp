#include "credits_window/credits_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/resources.h"
#include "credits_window/fake_credits_music.h"
#include "support/temp_dir.h"

namespace valdor::credits_window {
namespace {

namespace fs = std::filesystem;
using test::MusicRecord;
using test::TempDir;

std::string embeddedTrack() {
  auto bytes = app::findResource(app::kMusicResourceId, app::kMusicResourceType);
  return bytes ? std::string(*bytes) : std::string();
}

TEST(CommunityAddress, GermanSiteOnlyForTheSectionDeutschSpelledExactly) {
  EXPECT_EQ(CommunityAddress("deutsch"), "https://www.valdor3.example.org/de");
  EXPECT_EQ(CommunityAddress("english"), "https://www.valdor3.example.org/en");
  EXPECT_EQ(CommunityAddress("Deutsch"), "https://www.valdor3.example.org/en");
  EXPECT_EQ(CommunityAddress(""), "https://www.valdor3.example.org/en");
}


// ---- opening the window ----
TEST(StartCreditsMusic, WritesTheTrackStartsItOnceAndDeletesTheFile) {
  TempDir dir;
  MusicRecord record;
  {
    auto music = startCreditsMusic(test::fakeCreditsMusic(record), dir.path());
    ASSERT_EQ(record.tracks.size(), 1u);
    EXPECT_EQ(record.tracks[0], dir / "v3tu.mp3");
    EXPECT_EQ(record.trackBytes[0], embeddedTrack());
    EXPECT_FALSE(fs::exists(dir / "v3tu.mp3"));
    EXPECT_TRUE(music->playing());
  }  // the window closes
  EXPECT_EQ(record.starts, 1);
  EXPECT_EQ(record.stops, 1);
  EXPECT_EQ(record.releases, 1);
}

// A copy left behind (its deletion failed) is played as it is, not rewritten.
TEST(StartCreditsMusic, ACopyAlreadyThereIsPlayedAsItIs) {
  TempDir dir;
  MusicRecord record;
  dir.write("v3tu.mp3", "a copy left by an earlier opening");
  auto music = startCreditsMusic(test::fakeCreditsMusic(record), dir.path());
  ASSERT_EQ(record.trackBytes.size(), 1u);
  EXPECT_EQ(record.trackBytes[0], "a copy left by an earlier opening");
}

}  // namespace
}  // namespace valdor::credits_window
