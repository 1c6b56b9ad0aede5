#pragma once

#include <string_view>

// The community web site behind the credits window's link button.
namespace valdor::credits_window {

inline constexpr std::string_view kGermanCommunityAddress = "https://www.valdor3.example.org/de";
inline constexpr std::string_view kOtherCommunityAddress = "https://www.valdor3.example.org/en";

// The German site for the language section "deutsch" (exactly, letter case
// included), the other site for every other section. The button's caption
// plays no part.
std::string_view CommunityAddress(std::string_view languageSection);

}  // namespace valdor::credits_window
