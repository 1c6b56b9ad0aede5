#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct _Mix_Music;  // SDL_mixer's track, kept out of this header

// Playing a music track from a file, once, while its player lives.
namespace valdor::platform {

// A player that starts the track when it is made and plays it once. Destroying
// it stops playback, also in the middle of the track, and releases the player.
class MusicPlayer {
 public:
  virtual ~MusicPlayer() = default;
  // The track is sounding now: false once it ended, was stopped or never started.
  virtual bool playing() const = 0;
  // Stops playback at once; the player itself is released on destruction.
  virtual void stop() = 0;
};

// Makes a player for the track at `track`. Without sound (no audio device, an
// unreadable file) it still gives a player, one that plays nothing.
using MusicPlayerFactory = std::function<std::unique_ptr<MusicPlayer>(const std::filesystem::path& track)>;

// The file names SDL2 and SDL2_mixer are opened by. The program doesn't link
// them: the music plays only in the credits window, and the mixer brings a
// chain of codec and sound-server libraries that would slow every start.
struct AudioLibraries {
  std::string sdl;
  std::string mixer;
};
AudioLibraries systemAudioLibraries();

struct MixerApi;  // the functions taken from the libraries

// The real player, through SDL2_mixer, opened the first time a player is
// made. One at a time: SDL_mixer has a single music channel. When the
// libraries cannot be loaded the player plays nothing, as without a device.
class SdlMusicPlayer final : public MusicPlayer {
 public:
  explicit SdlMusicPlayer(const std::filesystem::path& track,
                          const AudioLibraries& libraries = systemAudioLibraries());
  ~SdlMusicPlayer() override;
  SdlMusicPlayer(const SdlMusicPlayer&) = delete;
  SdlMusicPlayer& operator=(const SdlMusicPlayer&) = delete;

  bool playing() const override;
  void stop() override;

  // Why the track is not playing from the start; empty when it is.
  const std::string& failure() const { return m_failure; }
  // The track's length and the playback position in seconds; negative
  // when no track was loaded or the decoder cannot tell.
  double duration() const;
  double position() const;

 private:
  const MixerApi* m_api = nullptr;  // none when the libraries could not be loaded
  bool m_audioInitialised = false;  // the SDL audio subsystem
  bool m_deviceOpen = false;        // the mixer's output device
  std::string m_bytes;              // the whole track, which the decoder reads from
  _Mix_Music* m_music = nullptr;
  bool m_started = false;
  std::string m_failure;
};

// The factory of the real player.
std::unique_ptr<MusicPlayer> makeSdlMusicPlayer(const std::filesystem::path& track);

}  // namespace valdor::platform
