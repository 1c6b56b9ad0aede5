#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Numbers in text the way the game reads them. The game's C runtime reads
// with atoi and atof; the editor reads with the same rules but never with the
// user's locale, so a point is the decimal separator everywhere.
namespace valdor::config {

// ---- blanks: which characters count as blanks where ----

// What the C runtime's number reads skip: space, \t, \n, \v, \f and \r.
bool isRuntimeBlank(char c);

// What the platform's profile functions trim around names and values: space,
// \t, \v, \f and the old end-of-file mark Ctrl-Z (line ends never reach them).
// Inline, as every line read trims its names and value with it.
inline bool isProfileBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

// What the platform's integer read of a profile value skips: every byte up to space.
bool isProfileIntBlank(char c);

bool isDecimalDigit(char c);

// At least one character, and only '0'..'9'.
bool isDigits(std::string_view text);

// The text without leading runtime blanks.
std::string_view skipRuntimeBlanks(std::string_view text);

// The text without runtime blanks at either end.
std::string_view trimRuntimeBlanks(std::string_view text);

// ---- whole numbers ----

// Digits only, leading zeros allowed; nullopt when empty, for any other character or beyond max.
std::optional<std::uint64_t> parseDigits(std::string_view text, std::uint64_t max);

// An optional sign ("-" only where min < 0) and then digits only; nullopt outside min..max.
std::optional<std::int64_t> parseWhole(std::string_view text, std::int64_t min, std::int64_t max);

// Digits only, rounded once to the nearest float; nullopt when not digits or beyond the float range.
std::optional<float> parseDigitsAsSingle(std::string_view text);

// atoi: runtime blanks, a sign, then digits up to the first other character;
// none give 0; beyond 32 bits the digits wrap modulo 2^32.
std::uint32_t leadingWhole(std::string_view text);

// ---- decimals ----

// The length of the longest prefix that is a decimal number: an optional sign,
// digits with an optional point and fraction (one digit at least), an optional
// exponent. 0 when there is none. No hexadecimal, no "inf" or "nan".
std::size_t decimalLength(std::string_view text);

// The value of a text that is a decimal number as a whole (strtod's rounding);
// nullopt otherwise. Too large gives an infinity and too small a zero, keeping
// the sign, whatever the spelling: 1e-400 and 0.000...0001 read alike.
std::optional<double> parseDecimal(std::string_view text);

// atof: runtime blanks, then the longest leading decimal number; none give 0.
double leadingDecimal(std::string_view text);

}  // namespace valdor::config
