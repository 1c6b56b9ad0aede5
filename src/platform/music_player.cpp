#include "platform/music_player.h"

#include <map>
#include <mutex>
#include <system_error>
#include <utility>
#include <variant>

// Only the declarations: the functions are taken from the libraries at run time.
#define SDL_MAIN_HANDLED  // the program has its own main()
#include <SDL.h>
#include <SDL_mixer.h>

#include "config/file_io.h"
#include "platform/shared_library.h"

namespace valdor::platform {

struct MixerApi {
  decltype(&SDL_SetHint) setHint = nullptr;
  decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
  decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
  decltype(&SDL_GetError) getError = nullptr;
  decltype(&SDL_RWFromConstMem) rwFromConstMem = nullptr;
  decltype(&Mix_OpenAudio) openAudio = nullptr;
  decltype(&Mix_CloseAudio) closeAudio = nullptr;
  decltype(&Mix_LoadMUS_RW) loadMusicRw = nullptr;
  decltype(&Mix_FreeMusic) freeMusic = nullptr;
  decltype(&Mix_PlayMusic) playMusic = nullptr;
  decltype(&Mix_HaltMusic) haltMusic = nullptr;
  decltype(&Mix_PlayingMusic) playingMusic = nullptr;
  decltype(&Mix_MusicDuration) musicDuration = nullptr;
  decltype(&Mix_GetMusicPosition) musicPosition = nullptr;
};

namespace {

// The sound back-ends SDL opens print their own complaints on the terminal
// when there is no device ("ALSA lib ... cannot find card"), which a player
// can do nothing about: the credits are simply silent then. ALSA's printer
// is replaced before SDL opens the device; without ALSA there is nothing to
// quiet.
#ifndef _WIN32
extern "C" void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void quietAlsa() {
  auto alsa = SharedLibrary::open("libasound.so.2");
  auto* library = std::get_if<SharedLibrary>(&alsa);
  if (!library) return;
  using Printer = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetPrinter = int (*)(Printer);
  if (auto set = reinterpret_cast<SetPrinter>(library->symbol("snd_lib_error_set_handler"))) set(ignoreAlsaMessage);
}
#endif

template <typename Function>
bool take(const SharedLibrary& library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(library.symbol(name));
  return function != nullptr;
}

std::variant<MixerApi, std::string> loadApi(const AudioLibraries& names) {
  auto sdl = SharedLibrary::open(names.sdl);
  if (auto* reason = std::get_if<std::string>(&sdl)) return *reason;
  auto mixer = SharedLibrary::open(names.mixer);
  if (auto* reason = std::get_if<std::string>(&mixer)) return *reason;
  const SharedLibrary& s = std::get<SharedLibrary>(sdl);
  const SharedLibrary& m = std::get<SharedLibrary>(mixer);
  MixerApi api;
  const char* missing = nullptr;
  auto need = [&missing](const SharedLibrary& library, const char* name, auto& function) {
    if (!take(library, name, function) && !missing) missing = name;
  };
  need(s, "SDL_SetHint", api.setHint);
  need(s, "SDL_InitSubSystem", api.initSubSystem);
  need(s, "SDL_QuitSubSystem", api.quitSubSystem);
  need(s, "SDL_GetError", api.getError);
  need(s, "SDL_RWFromConstMem", api.rwFromConstMem);
  need(m, "Mix_OpenAudio", api.openAudio);
  need(m, "Mix_CloseAudio", api.closeAudio);
  need(m, "Mix_LoadMUS_RW", api.loadMusicRw);
  need(m, "Mix_FreeMusic", api.freeMusic);
  need(m, "Mix_PlayMusic", api.playMusic);
  need(m, "Mix_HaltMusic", api.haltMusic);
  need(m, "Mix_PlayingMusic", api.playingMusic);
  // Added in SDL_mixer 2.6; an older library still plays, without them.
  take(m, "Mix_MusicDuration", api.musicDuration);
  take(m, "Mix_GetMusicPosition", api.musicPosition);
  if (missing) return names.mixer + ": no " + missing;
#ifndef _WIN32
  quietAlsa();
#endif
  return api;
}

// Each set of libraries is opened once per process and kept: SDL keeps
// global state that a second copy would not share.
std::variant<const MixerApi*, std::string> openApi(const AudioLibraries& names) {
  static std::mutex guard;
  static std::map<std::pair<std::string, std::string>, std::variant<MixerApi, std::string>> opened;
  const std::lock_guard lock(guard);
  auto key = std::make_pair(names.sdl, names.mixer);
  auto found = opened.find(key);
  if (found == opened.end()) found = opened.emplace(key, loadApi(names)).first;
  if (const auto* reason = std::get_if<std::string>(&found->second)) return "music library not loaded: " + *reason;
  return &std::get<MixerApi>(found->second);
}

}  // namespace

AudioLibraries systemAudioLibraries() {
#ifdef _WIN32
  return {"SDL2.dll", "SDL2_mixer.dll"};
#else
  return {"libSDL2-2.0.so.0", "libSDL2_mixer-2.0.so.0"};
#endif
}

// Each step runs only when the one before it succeeded and records what it
// obtained, so the destructor gives back exactly that, in reverse order.
SdlMusicPlayer::SdlMusicPlayer(const std::filesystem::path& track, const AudioLibraries& libraries) {
  auto api = openApi(libraries);
  if (auto* reason = std::get_if<std::string>(&api)) {
    m_failure = *reason;
    return;
  }
  m_api = std::get<const MixerApi*>(api);
  const MixerApi& sdl = *m_api;
  auto sdlError = [&sdl](std::string_view what) { return std::string(what) + ": " + sdl.getError(); };

  // The audio subsystem brings SDL's event subsystem along, which by default
  // turns Ctrl+C into a quit event that nobody here reads: keep the signals
  // to the program.
  sdl.setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (sdl.initSubSystem(SDL_INIT_AUDIO) != 0) {
    m_failure = sdlError("audio");
    return;
  }
  m_audioInitialised = true;

  if (sdl.openAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
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
  SDL_RWops* source = sdl.rwFromConstMem(m_bytes.data(), static_cast<int>(m_bytes.size()));
  m_music = source ? sdl.loadMusicRw(source, 1) : nullptr;
  if (!m_music) {
    m_failure = sdlError("track");
    return;
  }

  if (sdl.playMusic(m_music, 0) != 0) {  // 0: no repetition, the track plays once
    m_failure = sdlError("playback");
    return;
  }
  m_started = true;
}

SdlMusicPlayer::~SdlMusicPlayer() {
  stop();
  if (m_music) m_api->freeMusic(m_music);
  if (m_deviceOpen) m_api->closeAudio();
  if (m_audioInitialised) m_api->quitSubSystem(SDL_INIT_AUDIO);
}

bool SdlMusicPlayer::playing() const { return m_started && m_api->playingMusic() != 0; }

void SdlMusicPlayer::stop() {
  if (!m_started) return;
  m_api->haltMusic();
  m_started = false;
}

double SdlMusicPlayer::duration() const {
  return m_music && m_api->musicDuration ? m_api->musicDuration(m_music) : -1.0;
}

double SdlMusicPlayer::position() const {
  return m_music && m_api->musicPosition ? m_api->musicPosition(m_music) : -1.0;
}

std::unique_ptr<MusicPlayer> makeSdlMusicPlayer(const std::filesystem::path& track) {
  return std::make_unique<SdlMusicPlayer>(track);
}

}  // namespace valdor::platform
