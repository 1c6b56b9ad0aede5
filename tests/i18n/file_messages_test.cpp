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

}  // namespace
}  // namespace valdor::i18n
