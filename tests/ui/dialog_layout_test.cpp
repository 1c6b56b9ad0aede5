#include "ui/dialog_layout.h"

#include <gtest/gtest.h>

namespace valdor::ui {
namespace {

TEST(DialogUnits, ConvertLikeWindowsWithTheDialogFontsBaseUnits) {
  EXPECT_EQ(baseUnitX(311), 6);  // 52 letters of about 6 pixels each
  const DialogUnits units(6, 12);
  EXPECT_EQ(units.toPixelsX(431), 647);  // 646.5 rounds up
  EXPECT_EQ(units.toPixelsY(406), 609);
  EXPECT_EQ(mulDiv(-1, 6, 4), -2);
  const PixelRect combo = units.toPixels({92, 133, 80, 171});
  EXPECT_EQ(combo.x, 138);
  EXPECT_EQ(combo.y, 200);  // 199.5
  EXPECT_EQ(combo.width, 120);
}

}  // namespace
}  // namespace valdor::ui
