// The editor's start against the floor of any Qt Widgets program: both are
// whole processes, timed from the fork that execs them to the first paint of
// their window (the first drawing into it, as the X server's damage
// reports tell this program), and their peak memory is the kernel's count at
// their end. The first Expose is printed too; it is not the measure, since a
// bare dialog is exposed before it has even loaded its fonts, which the
// editor has to do before it can lay out its window. The two take turns, so
// neither profits from warm caches more than the other.
//
//   start_bench EDITOR BARE_DIALOG SAMPLE_INSTALLATION [RUNS]
//
// Needs an X display without a window manager (scripts/bench starts Xvfb).
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 21;
constexpr double kTimeLimit = 1.3;  // times the bare program's median
constexpr double kMemoryLimit = 1.15;
constexpr int kPaintWaitMs = 10'000;  // a start that shows nothing by then failed
// After the first Expose each program gets this long to paint before it is
// ended, so both peak-memory counts include painting the window.
constexpr int kSettleMs = 300;

long long monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

struct Sample {
  double milliseconds = 0;  // to the first paint
  double exposedMilliseconds = 0;
  double cpuMilliseconds = 0;  // user and system time, to the end of the settle time
  long peakKb = 0;
  int width = 0;
  int height = 0;
};

class Starts {
 public:
  Starts() : m_display(XOpenDisplay(nullptr)) {
    if (!m_display) return;
    int error = 0;
    if (!XDamageQueryExtension(m_display, &m_damageEvent, &error)) {
      XCloseDisplay(m_display);
      m_display = nullptr;
      return;
    }
    XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
    // A window may be gone by the time it is asked about: no reason to stop.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~Starts() {
    if (m_display) XCloseDisplay(m_display);
  }
  bool open() const { return m_display != nullptr; }

  // Starts the program and waits for the first Expose of a top-level window.
  std::optional<Sample> run(const std::vector<std::string>& command) {
    drain();
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const long long started = monotonicNanoseconds();
    const pid_t child = fork();
    if (child == 0) {
      execv(argv[0], argv.data());
      _exit(127);
    }
    if (child < 0) return std::nullopt;

    std::optional<Sample> sample;
    double exposed = 0;
    const long long deadline = started + kPaintWaitMs * 1'000'000LL;
    while (!sample && monotonicNanoseconds() < deadline) {
      if (!XPending(m_display)) {
        if (waitpid(child, nullptr, WNOHANG) == child) break;  // ended without a window
        usleep(100);
        continue;
      }
      XEvent event;
      XNextEvent(m_display, &event);
      const double now = static_cast<double>(monotonicNanoseconds() - started) / 1e6;
      if (event.type == CreateNotify) {
        // Long before the program maps the window and far longer before it
        // draws: Qt sets a window up for a while between making and showing it.
        XSelectInput(m_display, event.xcreatewindow.window, ExposureMask);
        // The damage record goes with the window when the program ends.
        XDamageCreate(m_display, event.xcreatewindow.window, XDamageReportNonEmpty);
        XFlush(m_display);
      } else if ((event.type == Expose || event.type == MapNotify) && exposed == 0) {
        // The server exposes a top-level window in the same request that maps
        // it, so the map counts too, should the program have mapped it before
        // the request for its Expose events arrived.
        exposed = now;
      } else if (event.type == m_damageEvent + XDamageNotify) {
        const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
        XWindowAttributes attributes{};
        XGetWindowAttributes(m_display, damage.drawable, &attributes);
        sample = Sample{now, exposed, 0, 0, attributes.width, attributes.height};
      }
    }
    usleep(kSettleMs * 1000);
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (sample) {
      sample->peakKb = usage.ru_maxrss;
      sample->cpuMilliseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    }
    return sample;
  }

 private:
  void drain() {
    XSync(m_display, False);
    while (XPending(m_display)) {
      XEvent event;
      XNextEvent(m_display, &event);
    }
  }

  Display* m_display;
  int m_damageEvent = 0;
};

template <typename T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: start_bench EDITOR BARE_DIALOG SAMPLE_INSTALLATION [RUNS]\n");
    return 2;
  }
  const int runs = argc > 4 ? std::max(15, std::atoi(argv[4])) : kRuns;
  Starts screen;
  if (!screen.open()) {
    std::fprintf(stderr, "start_bench needs an X display with the DAMAGE extension\n");
    return 2;
  }
  // A copy of the sample installation, so that the runs cannot change it.
  char pattern[] = "/tmp/valdor-start-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 2;
  const fs::path scratch = pattern;
  for (const char* part : {"game", "documents"}) {
    fs::copy(fs::path(argv[3]) / part, scratch / part, fs::copy_options::recursive);
  }
  const std::vector<std::string> editor{argv[1],          "--game-dir",  (scratch / "game").string(),
                                        "--documents-dir", (scratch / "documents").string(),
                                        "--state-dir",     (scratch / "state").string()};

  // The first start of each is not counted: it extracts the editor's files
  // and fills the disk cache. The editor's window gives the bare dialog its size.
  const auto first = screen.run(editor);
  if (!first) {
    std::fprintf(stderr, "the editor showed no window\n");
    fs::remove_all(scratch);
    return 1;
  }
  const std::vector<std::string> bare{argv[2], std::to_string(first->width), std::to_string(first->height)};
  screen.run(bare);

  std::vector<double> times[2];
  std::vector<double> exposes[2];
  std::vector<double> cpu[2];
  std::vector<long> peaks[2];
  const std::vector<std::string>* commands[2] = {&bare, &editor};
  for (int run = 0; run < runs; ++run) {
    for (int turn = 0; turn < 2; ++turn) {
      const int kind = (run + turn) % 2;  // which goes first alternates too
      const auto sample = screen.run(*commands[kind]);
      if (!sample) {
        std::fprintf(stderr, "%s showed no window\n", kind ? "the editor" : "the bare dialog");
        fs::remove_all(scratch);
        return 1;
      }
      times[kind].push_back(sample->milliseconds);
      exposes[kind].push_back(sample->exposedMilliseconds);
      cpu[kind].push_back(sample->cpuMilliseconds);
      peaks[kind].push_back(sample->peakKb);
    }
  }
  fs::remove_all(scratch);

  const double bareTime = median(times[0]);
  const double editorTime = median(times[1]);
  const long bareMemory = median(peaks[0]);
  const long editorMemory = median(peaks[1]);
  const double timeRatio = editorTime / bareTime;
  const double memoryRatio = static_cast<double>(editorMemory) / static_cast<double>(bareMemory);
  std::printf("start: exec to first paint of a %dx%d window, whole process, median of %d runs each\n",
              first->width, first->height, runs);
  // The processor time tells how much of a slow run was the machine's load.
  std::printf("  bare Qt dialog  %7.1f ms  %7.1f MB peak   (exposed at %.1f ms, %.1f ms processor time)\n",
              bareTime, bareMemory / 1024.0, median(exposes[0]), median(cpu[0]));
  std::printf("  editor          %7.1f ms  %7.1f MB peak   (exposed at %.1f ms, %.1f ms processor time)\n",
              editorTime, editorMemory / 1024.0, median(exposes[1]), median(cpu[1]));
  std::printf("  ratio           %7.2f x   %7.2f x      (limits %.2f x and %.2f x)\n", timeRatio, memoryRatio,
              kTimeLimit, kMemoryLimit);
  const bool within = timeRatio <= kTimeLimit && memoryRatio <= kMemoryLimit;
  std::printf("  %s\n", within ? "within the limits" : "OVER THE LIMITS");
  return within ? 0 : 1;
}
