#pragma once

#include <string>
#include <vector>

#include "platform/display_modes.h"

namespace valdor::platform {

// The modes of an X server through XRandR: those of the primary output (the
// first connected output when none is primary), each once in ascending order,
// when the screen has depth 24 stored in 32 bits per pixel. The refresh rate
// is the mode's dot clock over its totals, rounded, so modes with other
// timings can give the same mode.
class X11DisplayModeSource final : public DisplayModeSource {
 public:
  // displayName as XOpenDisplay takes it; empty for $DISPLAY.
  explicit X11DisplayModeSource(std::string displayName = {}) : m_displayName(std::move(displayName)) {}

  std::vector<DisplayMode> modes() const override;

 private:
  std::string m_displayName;
};

}  // namespace valdor::platform
