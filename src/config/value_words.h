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

// The seven translated entry texts of the current language.
struct EntryTexts {
  std::string disabled;   // TEXT_DISABLED
  std::string enabled;    // TEXT_ENABLED
  std::string low;        // TEXT_LOWQUALITY
  std::string medium;     // TEXT_MEDIUMQUALITY
  std::string high;       // TEXT_HIGHQUALITY
  std::string normal;     // TEXT_NORMALQUALITY
  std::string ultraHigh;  // TEXT_ULTRAHIGHQUALITY
};

// Quality level 0..3 to its entry text (disabled, low, medium, high); other levels give "".
std::string IndexToQualityText(const EntryTexts& texts, int level);

// A stored word (any case) to its list position; unknown words give 0.
int ValueWordToIndex(std::string_view word, bool lodFamily);

// A tooltip text followed directly by its default.
std::string ConcatText(std::string_view first, std::string_view second);

}  // namespace valdor::config
