#include "platform/music_player.h"

#include <system_error>
#include <utility>

#define SDL_MAIN_HANDLED  // the program has its own main()
#include <SDL.h>
#include <SDL_mixer.h>

#include "config/file_io.h"

namespace valdor::platform {

namespace {

std::string sdlError(std::string_view what) { return std::string(what) + ": " + SDL_GetError(); }

}  // namespace

// Each step runs only when the one before it succeeded and records what it
// obtained, so the destructor gives back exactly that, in reverse order.
SdlMusicPlayer::SdlMusicPlayer(const std::filesystem::path& track) {
  // The audio subsystem brings SDL's event subsystem along, which by default
  // turns Ctrl+C into a quit event that nobody here reads: keep the signals
  // to the program.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    m_failure = sdlError("audio");
    return;
  }
  m_audioInitialised = true;

  if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
    m_failure = sdlError("audio device");
    return;
  }
  m_deviceOpen = true;

  // The whole track is read before playback so that the file can be deleted
  // at once on every system: a decoder reading from the open file would keep
  // it from being deleted on Windows, and the file stays behind.
  auto bytes = config::readFile(track);
  if (!bytes) {
    const std::string& detail = bytes.result().detail;
    m_failure = "track not readable" + (detail.empty() ? std::string() : ": " + detail);
    return;
  }
  m_bytes = std::move(*bytes);
  SDL_RWops* source = SDL_RWFromConstMem(m_bytes.data(), static_cast<int>(m_bytes.size()));
  m_music = source ? Mix_LoadMUS_RW(source, 1) : nullptr;
  if (!m_music) {
    m_failure = sdlError("track");
    return;
  }

  if (Mix_PlayMusic(m_music, 0) != 0) {  // 0: no repetition, the track plays once
    m_failure = sdlError("playback");
    return;
  }
  m_started = true;
}

SdlMusicPlayer::~SdlMusicPlayer() {
  stop();
  if (m_music) Mix_FreeMusic(m_music);
  if (m_deviceOpen) Mix_CloseAudio();
  if (m_audioInitialised) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlMusicPlayer::playing() const { return m_started && Mix_PlayingMusic() != 0; }

void SdlMusicPlayer::stop() {
  if (!m_started) return;
  Mix_HaltMusic();
  m_started = false;
}

double SdlMusicPlayer::duration() const { return m_music ? Mix_MusicDuration(m_music) : -1.0; }

double SdlMusicPlayer::position() const { return m_music ? Mix_GetMusicPosition(m_music) : -1.0; }

std::unique_ptr<MusicPlayer> makeSdlMusicPlayer(const std::filesystem::path& track) {
  return std::make_unique<SdlMusicPlayer>(track);
}

}  // namespace valdor::platform
