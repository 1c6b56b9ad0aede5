#include "config/value_words.h"

#include <algorithm>

#include "config/text.h"

namespace valdor::config {

int ValueWordToIndex(std::string_view word, bool lodFamily) {
  const std::string lower = toLowerAscii(word);
  if (lodFamily) {
    auto it = std::find(kDetailWords.begin(), kDetailWords.end(), lower);
    return it == kDetailWords.end() ? 0 : static_cast<int>(it - kDetailWords.begin());
  }
  // Switch words share positions with the quality words: false/low 0, true/med 1.
  for (std::size_t i = 0; i < kQualityWords.size(); ++i) {
    if (lower == kQualityWords[i] || (i < kSwitchWords.size() && lower == kSwitchWords[i])) return static_cast<int>(i);
  }
  return 0;
}

std::string ConcatText(std::string_view first, std::string_view second) {
  std::string text(first);
  text += second;
  return text;
}

}  // namespace valdor::config
