#include "credits_window/credits_settings.h"

#include <system_error>

#include "app/resources.h"

namespace valdor::credits_window {

std::string_view CommunityAddress(std::string_view languageSection) {
  // Compared as stored, not case-folded: the language list and the stored
  // language always spell the section "deutsch".
  return languageSection == "deutsch" ? kGermanCommunityAddress : kOtherCommunityAddress;
}


std::unique_ptr<platform::MusicPlayer> startCreditsMusic(const platform::MusicPlayerFactory& makeMusic,
                                                const std::filesystem::path& privateFolder) {
  auto extraction = app::ExtractResourceToTemp(app::kMusicResourceId, app::kMusicResourceType, kMusicFileName, privateFolder);
  auto music = makeMusic(extraction.path);
  // The player no longer needs the file; a copy left behind (because the
  // deletion failed) is played unchanged by the next opening.
  std::error_code ignored;
  std::filesystem::remove(extraction.path, ignored);
  return music;
}

}  // namespace valdor::credits_window
