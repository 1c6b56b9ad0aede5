#pragma once

#include <array>
#include <string>
#include <string_view>

#include "i18n/translator.h"

// The languages the tool speaks and the translated entries its lists share.
namespace valdor::i18n {

// In the order the language list shows them.
inline constexpr std::array kLanguages{kGerman, kEnglish};

// The seven translated entry texts of one language (Windows-1252).
struct EntryTexts {
  std::string disabled;   // TEXT_DISABLED
  std::string enabled;    // TEXT_ENABLED
  std::string low;        // TEXT_LOWQUALITY
  std::string medium;     // TEXT_MEDIUMQUALITY
  std::string high;       // TEXT_HIGHQUALITY
  std::string normal;     // TEXT_NORMALQUALITY
  std::string ultraHigh;  // TEXT_ULTRAHIGHQUALITY

  // Looked up in the translator's language.
  static EntryTexts fromTranslator(const Translator& translator);
};

// The translator in English and in German, in this order, whatever its own
// language: values typed on the command line are taken in either.
std::array<Translator, 2> TranslatorsOfBothLanguages(const Translator& translator);

// Quality level 0..3 to its entry text (disabled, low, medium, high); other levels give "".
std::string IndexToQualityText(const EntryTexts& texts, int level);

}  // namespace valdor::i18n
