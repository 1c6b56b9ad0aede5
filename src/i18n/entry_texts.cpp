#include "i18n/entry_texts.h"

namespace valdor::i18n {

EntryTexts EntryTexts::fromTranslator(const Translator& translator) {
  return {translator.LookupText("TEXT_DISABLED"),    translator.LookupText("TEXT_ENABLED"),
          translator.LookupText("TEXT_LOWQUALITY"),  translator.LookupText("TEXT_MEDIUMQUALITY"),
          translator.LookupText("TEXT_HIGHQUALITY"), translator.LookupText("TEXT_NORMALQUALITY"),
          translator.LookupText("TEXT_ULTRAHIGHQUALITY")};
}

std::array<Translator, 2> TranslatorsOfBothLanguages(const Translator& translator) {
  std::array<Translator, 2> both{translator, translator};
  both[0].setLanguage(std::string(kEnglish));
  both[1].setLanguage(std::string(kGerman));
  return both;
}

std::string IndexToQualityText(const EntryTexts& texts, int level) {
  switch (level) {
    case 0: return texts.disabled;
    case 1: return texts.low;
    case 2: return texts.medium;
    case 3: return texts.high;
    default: return {};
  }
}

}  // namespace valdor::i18n
