#include "credits_window/credits_settings.h"

#include <system_error>

#include "app/resources.h"

namespace valdor::credits_window {

std::string_view CommunityAddress(std::string_view languageSection) {
  // Compared as stored, not case-folded: the language list and the stored
  // language always spell the section "deutsch".
  return languageSection == "deutsch" ? kGermanCommunityAddress : kOtherCommunityAddress;
}

std::string LinkNotOpenedMessage(const i18n::Translator& translator, std::string_view address) {
  return translator.format("MESSAGE_LINKNOTOPENED", {{"address", std::string(address)}});
}

std::unique_ptr<platform::MusicPlayer> startCreditsMusic(const platform::MusicPlayerFactory& makeMusic,
                                                const std::filesystem::path& privateFolder) {
  // A failed extraction leaves no file, and the player then plays nothing.
  app::ExtractResourceToTemp(app::kMusicResourceId, app::kMusicResourceType, kMusicFileName, privateFolder);
  const std::filesystem::path track = privateFolder / kMusicFileName;
  auto music = makeMusic(track);
  // The player no longer needs the file; a copy left behind (because the
  // deletion failed) is played unchanged by the next opening.
  std::error_code ignored;
  std::filesystem::remove(track, ignored);
  return music;
}

}  // namespace valdor::credits_window
