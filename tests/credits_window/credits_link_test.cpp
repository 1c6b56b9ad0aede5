#include "credits_window/credits_link.h"

#include <gtest/gtest.h>

namespace valdor::credits_window {
namespace {

TEST(CommunityAddress, GermanSiteOnlyForTheSectionDeutschSpelledExactly) {
  EXPECT_EQ(CommunityAddress("deutsch"), "https://www.valdor3.example.org/de");
  EXPECT_EQ(CommunityAddress("english"), "https://www.valdor3.example.org/en");
  EXPECT_EQ(CommunityAddress("Deutsch"), "https://www.valdor3.example.org/en");
  EXPECT_EQ(CommunityAddress(""), "https://www.valdor3.example.org/en");
}

}  // namespace
}  // namespace valdor::credits_window
