#pragma once

#include <cstdint>
#include <string>

// The game's number formats. The game's own runtime rounds an exact half away
// from zero (1234.25 with one decimal is "1234.3"); glibc rounds it to even,
// so these never go through printf's rounding.
namespace valdor::config {

std::string formatInt(std::int64_t value);                // "%i"
std::string formatFixed(double value, int decimals);      // "%.1lf", "%.2lf"
inline std::string formatOneDecimal(double value) { return formatFixed(value, 1); }
inline std::string formatTwoDecimals(double value) { return formatFixed(value, 2); }
std::string formatMegabytes(double bytes);                // "%.2lf MB" of bytes / 1048576

}  // namespace valdor::config
