#include "ui/dialog_layout.h"

#include <cstdint>
#include <cstdlib>

namespace valdor::ui {

int mulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = std::llabs(c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

int baseUnitX(int widthOfAlphabet) { return (widthOfAlphabet / 26 + 1) / 2; }

int visibleListRows(int templateHeightPixels, int closedHeightPixels, int rowHeightPixels) {
  if (rowHeightPixels <= 0) return 1;
  // Rounded: Windows' rows are a little lower than Qt's, so rounding down
  // would show a row fewer than the template shows.
  const int rows = (templateHeightPixels - closedHeightPixels + rowHeightPixels / 2) / rowHeightPixels;
  return rows < 1 ? 1 : rows;
}

PixelRect DialogUnits::toPixels(const DuRect& rect) const {
  // Position and size are converted each on its own, as Windows creates the
  // controls of a template.
  return {toPixelsX(rect.x), toPixelsY(rect.y), toPixelsX(rect.width), toPixelsY(rect.height)};
}

}  // namespace valdor::ui
