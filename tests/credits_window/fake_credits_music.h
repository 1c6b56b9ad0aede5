#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/music_player.h"
#include "support/temp_dir.h"

// A stand-in for the audio player that records what happened to it in a
// record that outlives the player, so a test can look after the window closed.
namespace valdor::test {

struct MusicRecord {
  std::vector<std::filesystem::path> tracks;  // the track of each start, in order
  std::vector<std::string> trackBytes;        // the file's content at each start
  int starts = 0;
  int stops = 0;     // playback stopped by request or by the player's end
  int releases = 0;  // players destroyed
  bool silent = false;  // players made from now on play nothing, like without a device
};

class FakeCreditsMusic final : public platform::MusicPlayer {
 public:
  FakeCreditsMusic(MusicRecord& record, const std::filesystem::path& track) : m_record(record) {
    record.tracks.push_back(track);
    record.trackBytes.push_back(std::filesystem::exists(track) ? readBytes(track) : std::string());
    m_playing = !record.silent;
    if (m_playing) ++record.starts;
  }
  ~FakeCreditsMusic() override {
    stop();
    ++m_record.releases;
  }
  FakeCreditsMusic(const FakeCreditsMusic&) = delete;
  FakeCreditsMusic& operator=(const FakeCreditsMusic&) = delete;

  bool playing() const override { return m_playing; }
  void stop() override {
    if (!m_playing) return;
    m_playing = false;
    ++m_record.stops;
  }

 private:
  MusicRecord& m_record;
  bool m_playing = false;
};

inline platform::MusicPlayerFactory fakeCreditsMusic(MusicRecord& record) {
  return [&record](const std::filesystem::path& track) -> std::unique_ptr<platform::MusicPlayer> {
    return std::make_unique<FakeCreditsMusic>(record, track);
  };
}

}  // namespace valdor::test
