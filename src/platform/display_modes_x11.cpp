#include "platform/display_modes_x11.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <memory>

namespace valdor::platform {

namespace {

template <auto Free>
struct XDeleter {
  template <typename T>
  void operator()(T* pointer) const {
    if (pointer) Free(pointer);
  }
};

using DisplayPtr = std::unique_ptr<Display, XDeleter<XCloseDisplay>>;
using ResourcesPtr = std::unique_ptr<XRRScreenResources, XDeleter<XRRFreeScreenResources>>;
using OutputPtr = std::unique_ptr<XRROutputInfo, XDeleter<XRRFreeOutputInfo>>;
using FormatsPtr = std::unique_ptr<XPixmapFormatValues, XDeleter<XFree>>;

// Xlib's default error handler ends the process. While the modes are read, a
// failed request only makes its call return nothing, which is checked.
int ignoreError(Display*, XErrorEvent*) { return 0; }

class ErrorsIgnored {
 public:
  explicit ErrorsIgnored(Display* display) : m_display(display), m_previous(XSetErrorHandler(ignoreError)) {}
  ~ErrorsIgnored() {
    XSync(m_display, False);
    XSetErrorHandler(m_previous);
  }
  ErrorsIgnored(const ErrorsIgnored&) = delete;
  ErrorsIgnored& operator=(const ErrorsIgnored&) = delete;

 private:
  Display* m_display;
  XErrorHandler m_previous;
};

// X11 has no depth per mode: the screen's depth and its pixel size decide
// whether its modes are the 32-bit modes the game asks for.
bool hasThirtyTwoBitPixels(Display* display, int screen) {
  if (DefaultDepth(display, screen) != 24) return false;
  int count = 0;
  const FormatsPtr formats(XListPixmapFormats(display, &count));
  for (int i = 0; formats && i < count; ++i) {
    if (formats.get()[i].depth == 24) return formats.get()[i].bits_per_pixel == 32;
  }
  return false;
}

unsigned refreshRateOf(const XRRModeInfo& mode) {
  double lines = mode.vTotal;
  if (mode.modeFlags & RR_DoubleScan) lines *= 2;
  if (mode.modeFlags & RR_Interlace) lines /= 2;
  const double pixels = static_cast<double>(mode.hTotal) * lines;
  // A server without real timings (Xvfb) has a dot clock of 0: 0 Hz.
  if (pixels <= 0) return 0;
  return static_cast<unsigned>(std::lround(static_cast<double>(mode.dotClock) / pixels));
}

const XRRModeInfo* findMode(const XRRScreenResources& resources, RRMode id) {
  for (int i = 0; i < resources.nmode; ++i) {
    if (resources.modes[i].id == id) return &resources.modes[i];
  }
  return nullptr;
}

OutputPtr connectedOutput(Display* display, XRRScreenResources& resources, RROutput id) {
  OutputPtr output(XRRGetOutputInfo(display, &resources, id));
  if (output && output->connection == RR_Connected) return output;
  return nullptr;
}

// The primary output, or the first connected one when none is primary.
OutputPtr chosenOutput(Display* display, Window root, XRRScreenResources& resources, bool hasPrimary) {
  if (hasPrimary) {
    const RROutput primary = XRRGetOutputPrimary(display, root);
    if (primary != None) {
      if (auto output = connectedOutput(display, resources, primary)) return output;
    }
  }
  for (int i = 0; i < resources.noutput; ++i) {
    if (auto output = connectedOutput(display, resources, resources.outputs[i])) return output;
  }
  return nullptr;
}

std::vector<DisplayMode> modesOfOutput(const XRRScreenResources& resources, const XRROutputInfo& output) {
  std::vector<DisplayMode> modes;
  for (int i = 0; i < output.nmode; ++i) {
    if (const XRRModeInfo* mode = findMode(resources, output.modes[i])) {
      modes.push_back({mode->width, mode->height, refreshRateOf(*mode)});
    }
  }
  return modes;
}

std::vector<DisplayMode> readModes(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor)) return {};
  // Outputs and their modes came with 1.2; the primary output and reading the
  // modes without probing the monitors again with 1.3.
  const bool atLeast13 = major > 1 || (major == 1 && minor >= 3);
  if (!atLeast13 && !(major == 1 && minor >= 2)) return {};

  const int screen = DefaultScreen(display);
  if (!hasThirtyTwoBitPixels(display, screen)) return {};
  const Window root = RootWindow(display, screen);

  // The server has probed its monitors at start and at every hot plug, so
  // its current list is complete; probing again can take a second and make
  // screens flicker. Only an output without modes is worth a probe.
  for (const bool probe : {false, true}) {
    if (!probe && !atLeast13) continue;
    const ResourcesPtr resources(probe ? XRRGetScreenResources(display, root)
                                       : XRRGetScreenResourcesCurrent(display, root));
    if (!resources) continue;
    const OutputPtr output = chosenOutput(display, root, *resources, atLeast13);
    if (output && output->nmode > 0) return ascendingUnique(modesOfOutput(*resources, *output));
  }
  return {};
}

}  // namespace

std::vector<DisplayMode> X11DisplayModeSource::modes() const {
  const DisplayPtr display(XOpenDisplay(m_displayName.empty() ? nullptr : m_displayName.c_str()));
  if (!display) return {};
  const ErrorsIgnored errorsIgnored(display.get());
  return readModes(display.get());
}

std::unique_ptr<DisplayModeSource> makeSystemDisplayModeSource() { return std::make_unique<X11DisplayModeSource>(); }

}  // namespace valdor::platform
