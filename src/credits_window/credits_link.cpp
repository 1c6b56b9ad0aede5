#include "credits_window/credits_link.h"

namespace valdor::credits_window {

std::string_view CommunityAddress(std::string_view languageSection) {
  // Compared as stored, not case-folded: the language list and the stored
  // language always spell the section "deutsch".
  return languageSection == "deutsch" ? kGermanCommunityAddress : kOtherCommunityAddress;
}

}  // namespace valdor::credits_window
