#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

// The display modes the system offers, behind an interface so that the main
// window can be tested with any list.
namespace valdor::platform {

// One display mode as the system reports it.
struct DisplayMode {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t refreshRate = 0;  // Hz; 0 when the system does not know it

  bool operator==(const DisplayMode&) const = default;
};

// Each mode once, in ascending order of width, height and refresh rate: the
// order in which the game's own platform lists modes. Systems report modes
// largest or preferred first and report one mode several times (the same
// size and rate with other timings or flags).
inline std::vector<DisplayMode> ascendingUnique(std::vector<DisplayMode> modes) {
  const auto key = [](const DisplayMode& mode) { return std::tie(mode.width, mode.height, mode.refreshRate); };
  std::sort(modes.begin(), modes.end(), [&](const DisplayMode& a, const DisplayMode& b) { return key(a) < key(b); });
  modes.erase(std::unique(modes.begin(), modes.end()), modes.end());
  return modes;
}

// The display modes of the primary display at 32 bits per pixel.
class DisplayModeSource {
 public:
  virtual ~DisplayModeSource() = default;

  // Every such mode, narrow ones included; the system sources give them as
  // ascendingUnique does. Empty when the system offers none (no display, an
  // error).
  virtual std::vector<DisplayMode> modes() const = 0;
};

// A source that always gives the same list: for tests and for systems
// without a display.
class FixedDisplayModeSource final : public DisplayModeSource {
 public:
  explicit FixedDisplayModeSource(std::vector<DisplayMode> modes = {}) : m_modes(std::move(modes)) {}

  std::vector<DisplayMode> modes() const override { return m_modes; }

 private:
  std::vector<DisplayMode> m_modes;
};

// The source of the system the tool runs on: Direct3D 9 on Windows, XRandR
// elsewhere.
std::unique_ptr<DisplayModeSource> makeSystemDisplayModeSource();

}  // namespace valdor::platform
