#include "platform/music_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "app/resources.h"
#include "support/temp_dir.h"

namespace valdor::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::TempDir;

std::string embeddedTrack() {
  auto bytes = app::findResource(app::kMusicResourceId, app::kMusicResourceType);
  return bytes ? std::string(*bytes) : std::string();
}

void setEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

// SDL reads its audio driver from the environment each time audio starts.
class SdlMusicPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { useDriver("dummy"); }
  void useDriver(const std::string& driver) { setEnv("SDL_AUDIODRIVER", driver); }
  fs::path writeTrack() const { return dir.write("v3tu.mp3", embeddedTrack()); }

  TempDir dir;
};

// ---- the track ----
TEST_F(SdlMusicPlayerTest, TrackIsAStereoMp3At128kOfAboutSixAndAHalfSeconds) {
  std::string bytes = embeddedTrack();
  ASSERT_GE(bytes.size(), 4u);
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  EXPECT_EQ(byte(0), 0xFF);
  EXPECT_EQ(byte(1) & 0xFE, 0xFA);  // sync, MPEG-1, Layer III
  EXPECT_EQ(byte(2) & 0xFC, 0x90);  // 128 kbit/s, 44.1 kHz
  EXPECT_NE(byte(3) & 0xC0, 0xC0);  // not mono
  SdlMusicPlayer music(writeTrack());
  ASSERT_TRUE(music.playing()) << music.failure();
  EXPECT_NEAR(music.duration(), 6.5, 0.3);
}

// ---- playback ----
TEST_F(SdlMusicPlayerTest, KeepsPlayingAfterItsFileIsDeletedAndStopsInTheMiddleOnRequest) {
  fs::path track = writeTrack();
  SdlMusicPlayer music(track);
  ASSERT_TRUE(music.playing()) << music.failure();
  fs::remove(track);
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(music.playing());
  EXPECT_GT(music.position(), 0.2);
  music.stop();
  EXPECT_FALSE(music.playing());
  music.stop();  // a second request changes nothing
  EXPECT_FALSE(music.playing());
}

TEST_F(SdlMusicPlayerTest, EachPlayerStartsTheTrackFromTheBeginning) {
  fs::path track = writeTrack();
  {
    SdlMusicPlayer first(track);
    ASSERT_TRUE(first.playing()) << first.failure();
    std::this_thread::sleep_for(600ms);
    ASSERT_GT(first.position(), 0.3);
  }  // closed in the middle of the track
  SdlMusicPlayer second(track);
  ASSERT_TRUE(second.playing()) << second.failure();
  EXPECT_LT(second.position(), 0.3);
}

// ---- without sound ----
// Each case checks afterwards that audio still works, which it only does if
// the failed player gave back everything it had obtained.
TEST_F(SdlMusicPlayerTest, WithoutAnAudioDriverOrDeviceNothingPlaysAndNothingIsLeftHeld) {
  fs::path track = writeTrack();
  // ALSA with an empty configuration knows no device, whatever the machine has.
  setEnv("ALSA_CONFIG_PATH", dir.write("empty-alsa.conf", "").string());
  for (const char* driver : {"no-such-driver", "alsa"}) {
    useDriver(driver);
    {
      SdlMusicPlayer music(track);
      EXPECT_FALSE(music.playing()) << driver;
      EXPECT_FALSE(music.failure().empty()) << driver;
      EXPECT_LT(music.duration(), 0.0) << driver;
    }
    useDriver("dummy");
    SdlMusicPlayer music(track);
    EXPECT_TRUE(music.playing()) << driver << ": " << music.failure();
  }
}

#ifndef _WIN32
// A player can do nothing about a missing sound card: the sound back-ends'
// own complaints must not reach the terminal the editor was started from.
TEST_F(SdlMusicPlayerTest, NoDevicePrintsNothingOnTheTerminal) {
  fs::path track = writeTrack();
  setEnv("ALSA_CONFIG_PATH", dir.write("empty-alsa.conf", "").string());
  useDriver("alsa");
  const fs::path captured = dir / "stderr.txt";
  std::fflush(stderr);
  const int saved = ::dup(STDERR_FILENO);
  const int file = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(file, 0);
  ::dup2(file, STDERR_FILENO);
  ::close(file);
  {
    SdlMusicPlayer music(track);
    EXPECT_FALSE(music.playing());
  }
  std::fflush(stderr);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  EXPECT_EQ(fs::file_size(captured), 0u) << dir.read("stderr.txt");
}
#endif

// The libraries are opened when the first player is made; a system without
// them, or with a library lacking a function, gets silent credits.
TEST_F(SdlMusicPlayerTest, WithoutTheMusicLibrariesNothingPlaysAndNothingFails) {
  const fs::path track = writeTrack();
  const AudioLibraries missing{"libvaldor-no-such-sdl.so.0", "libvaldor-no-such-mixer.so.0"};
  const AudioLibraries incomplete{systemAudioLibraries().sdl, systemAudioLibraries().sdl};
  for (const AudioLibraries& libraries : {missing, incomplete}) {
    SdlMusicPlayer music(track, libraries);
    EXPECT_FALSE(music.playing());
    EXPECT_LT(music.duration(), 0.0);
    EXPECT_NE(music.failure().find("music library"), std::string::npos) << music.failure();
    music.stop();
  }
  SdlMusicPlayer music(track);
  EXPECT_TRUE(music.playing()) << music.failure();
}

TEST_F(SdlMusicPlayerTest, AMissingOrDamagedTrackPlaysNothingAndReleasesTheDevice) {
  {
    SdlMusicPlayer missing(dir / "missing.mp3");
    EXPECT_FALSE(missing.playing());
    EXPECT_FALSE(missing.failure().empty());
  }
  {
    SdlMusicPlayer damaged(dir.write("damaged.mp3", "no music in here"));
    EXPECT_FALSE(damaged.playing());
    EXPECT_FALSE(damaged.failure().empty());
  }
  SdlMusicPlayer music(writeTrack());
  EXPECT_TRUE(music.playing()) << music.failure();
}

}  // namespace
}  // namespace valdor::platform
