#pragma once

#include <array>
#include <string>
#include <string_view>

// The words the game's files use for switches and quality levels, and the
// conversions between them and the entries of the translated lists.
namespace valdor::config {

using namespace std::string_view_literals;

inline constexpr std::array kSwitchWords{"false"sv, "true"sv};
inline constexpr std::array kQualityWords{"low"sv, "med"sv, "high"sv};
inline constexpr std::array kDetailWords{"normal"sv, "high"sv, "ultrahigh"sv};

// A stored word (any case) to its list position; unknown words give 0.
int ValueWordToIndex(std::string_view word, bool lodFamily);

// A tooltip text followed directly by its default.
std::string ConcatText(std::string_view first, std::string_view second);

}  // namespace valdor::config
