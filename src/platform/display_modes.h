#pragma once

#include <cstdint>
#include <memory>
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

// The display modes of the primary display at 32 bits per pixel.
class DisplayModeSource {
 public:
  virtual ~DisplayModeSource() = default;

  // Every such mode, narrow ones included, in the order the system reports
  // them; empty when the system offers none (no display, an error).
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
