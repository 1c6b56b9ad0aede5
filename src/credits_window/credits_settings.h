#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "i18n/translator.h"
#include "platform/music_player.h"

// The community web site behind the credits window's link button, and the
// music that plays while the window is open.
namespace valdor::credits_window {

inline constexpr std::string_view kGermanCommunityAddress = "https://www.valdor3.example.org/de";
inline constexpr std::string_view kOtherCommunityAddress = "https://www.valdor3.example.org/en";

// The German site for the language section "deutsch" (exactly, letter case
// included), the other site for every other section. The button's caption
// plays no part.
std::string_view CommunityAddress(std::string_view languageSection);

// What the player is told when no program could open address (UTF-8): the
// address itself, to copy.
std::string LinkNotOpenedMessage(const i18n::Translator& translator, std::string_view address);

inline constexpr std::string_view kMusicFileName = "v3tu.mp3";

// The music part of opening the credits window: writes the track into the
// tool's private folder unless a readable copy is there already (which is used
// unchanged), starts it on a player from makeMusic, then asks for the file's
// deletion without looking at the outcome. The caller keeps the player for as
// long as the window is open.
std::unique_ptr<platform::MusicPlayer> startCreditsMusic(const platform::MusicPlayerFactory& makeMusic,
                                                const std::filesystem::path& privateFolder);

}  // namespace valdor::credits_window
