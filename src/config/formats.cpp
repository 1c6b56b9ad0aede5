#include "config/formats.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace valdor::config {

std::string formatInt(std::int64_t value) { return std::to_string(value); }

std::string formatFixed(double value, int decimals) {
  if (!std::isfinite(value)) {
    char text[16];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
  }
  // Every double has a finite decimal expansion (at most 1074 places), so ask
  // for all of it and round by hand: an exact half goes away from zero.
  char digits[1600];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::fixed, 1100);
  if (ec != std::errc()) return {};
  std::string text(digits, end);
  const std::size_t point = text.find('.');
  std::string whole = text.substr(0, point);
  std::string fraction = text.substr(point + 1);

  const bool roundUp = fraction[static_cast<std::size_t>(decimals)] >= '5';
  std::string kept = whole + fraction.substr(0, static_cast<std::size_t>(decimals));
  if (roundUp) {
    std::size_t i = kept.size();
    while (i > 0) {
      --i;
      if (kept[i] == '9') {
        kept[i] = '0';
      } else {
        ++kept[i];
        break;
      }
      if (i == 0) kept.insert(kept.begin(), '1');
    }
  }
  const std::size_t wholeLength = kept.size() - static_cast<std::size_t>(decimals);
  std::string result = std::signbit(value) ? "-" : "";
  result.append(kept, 0, wholeLength);
  if (decimals > 0) result.append(1, '.').append(kept, wholeLength);
  return result;
}

std::string formatMegabytes(double bytes) { return formatFixed(bytes / 1048576.0, 2) + " MB"; }

}  // namespace valdor::config
