#include "config/numbers.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace valdor::config {

namespace {

// Drops a leading sign; true when it was "-".
bool takeSign(std::string_view& text) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
  const bool negative = text.front() == '-';
  text.remove_prefix(1);
  return negative;
}

// The exponent of a decimal number, saturated far beyond any double's range
// so that an exponent of any length still tells large from small.
std::int64_t exponentOf(std::string_view digits) {
  constexpr std::int64_t kSaturation = std::int64_t{1} << 40;
  const bool negative = takeSign(digits);
  std::int64_t exponent = 0;
  for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), kSaturation);
  return negative ? -exponent : exponent;
}

// For an unsigned decimal number beyond a double's range: whether it is too
// large (at least 1) rather than too small, from the power of ten of its first
// significant digit and its exponent.
bool isTooLarge(std::string_view number) {
  const std::size_t e = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, e);
  const std::int64_t exponent = e == std::string_view::npos ? 0 : exponentOf(number.substr(e + 1));
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  const std::int64_t order = first < point ? static_cast<std::int64_t>(point - first) - 1
                                           : -static_cast<std::int64_t>(first - point);
  return order + exponent >= 0;
}

}  // namespace

bool isRuntimeBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool isProfileIntBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

bool isDigits(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), isDecimalDigit); }

std::string_view skipRuntimeBlanks(std::string_view text) {
  while (!text.empty() && isRuntimeBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view trimRuntimeBlanks(std::string_view text) {
  text = skipRuntimeBlanks(text);
  while (!text.empty() && isRuntimeBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<std::uint64_t> parseDigits(std::string_view text, std::uint64_t max) {
  if (!isDigits(text)) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || value > max) return std::nullopt;
  return value;
}

std::optional<std::int64_t> parseWhole(std::string_view text, std::int64_t min, std::int64_t max) {
  if (min >= 0 && text.starts_with('-')) return std::nullopt;
  const bool negative = takeSign(text);
  // The magnitude of min, -2^63 included, fits 64 unsigned bits.
  const std::uint64_t limit = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(min)
                                       : static_cast<std::uint64_t>(std::max<std::int64_t>(max, 0));
  const auto magnitude = parseDigits(text, limit);
  if (!magnitude) return std::nullopt;
  const auto value = negative ? static_cast<std::int64_t>(std::uint64_t{0} - *magnitude)
                              : static_cast<std::int64_t>(*magnitude);
  if (value < min || value > max) return std::nullopt;
  return value;
}

std::optional<float> parseDigitsAsSingle(std::string_view text) {
  if (!isDigits(text)) return std::nullopt;
  float value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return std::nullopt;
  return value;
}

std::uint32_t leadingWhole(std::string_view text) {
  text = skipRuntimeBlanks(text);
  const bool negative = takeSign(text);
  std::uint32_t total = 0;  // wraps modulo 2^32
  for (std::size_t pos = 0; pos < text.size() && isDecimalDigit(text[pos]); ++pos) {
    total = total * 10 + static_cast<std::uint32_t>(text[pos] - '0');
  }
  return negative ? 0u - total : total;
}

std::size_t decimalLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  for (; i < text.size() && isDecimalDigit(text[i]); ++i) ++digits;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && isDecimalDigit(text[i]); ++i) ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t exponentStart = j;
    while (j < text.size() && isDecimalDigit(text[j])) ++j;
    if (j > exponentStart) i = j;
  }
  return i;
}

std::optional<double> parseDecimal(std::string_view text) {
  if (text.empty() || decimalLength(text) != text.size()) return std::nullopt;
  const bool negative = takeSign(text);
  // from_chars takes no "+" and reads the C locale's way, whatever the user's.
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    // from_chars leaves the value alone there; the C runtime gives HUGE_VAL
    // for too large and 0 for too small, which depends on the magnitude alone.
    value = isTooLarge(text) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

double leadingDecimal(std::string_view text) {
  text = skipRuntimeBlanks(text);
  return parseDecimal(text.substr(0, decimalLength(text))).value_or(0.0);
}

}  // namespace valdor::config
