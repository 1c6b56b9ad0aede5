#include "platform/display_modes_x11.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "main_window/display_modes.h"
#include "support/temp_dir.h"

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace valdor::platform {
namespace {

using namespace std::chrono_literals;

bool onPath(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// An X server of the test's own. It picks a free display number itself
// (-displayfd), so tests running side by side never meet; it is stopped with
// the object and, should the test be killed, with the test's process.
class TestXServer {
 public:
  // The server's output goes to a file in folder.
  TestXServer(std::vector<std::string> command, const test::TempDir& folder) : m_folder(folder) {
    const std::string log = (folder / "server.log").string();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    // Clear of 0 to 2, which the server's output takes over.
    const int reader = fcntl(fds[0], F_DUPFD_CLOEXEC, 3);
    const int writer = fcntl(fds[1], F_DUPFD_CLOEXEC, 3);
    close(fds[0]);
    close(fds[1]);
    command.insert(command.end(), {"-displayfd", std::to_string(writer)});
    std::vector<char*> argv;
    for (auto& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();

    m_pid = fork();
    if (m_pid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(1);
      fcntl(writer, F_SETFD, 0);
      dup2(in, 0);
      dup2(out, 1);
      dup2(out, 2);
      execvp(argv[0], argv.data());
      _exit(127);
    }
    close(writer);
    close(in);
    close(out);
    if (m_pid > 0) m_display = readDisplayNumber(reader);
    close(reader);
  }

  ~TestXServer() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
      if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) return;
      std::this_thread::sleep_for(20ms);
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
  }

  TestXServer(const TestXServer&) = delete;
  TestXServer& operator=(const TestXServer&) = delete;

  bool running() const { return !m_display.empty(); }
  const std::string& display() const { return m_display; }
  std::string log() const { return m_folder.read("server.log"); }

 private:
  // The server writes its display number once it takes connections.
  static std::string readDisplayNumber(int fd) {
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd wait{fd, POLLIN, 0};
      if (poll(&wait, 1, 100) <= 0) continue;
      char c = 0;
      if (read(fd, &c, 1) != 1) return {};
      if (c == '\n') return ":" + number;
      number += c;
    }
    return {};
  }

  const test::TempDir& m_folder;
  pid_t m_pid = -1;
  std::string m_display;
};

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// A mode with totals of 2000 by 1250 pixels: a dot clock of 2.5 MHz draws one
// frame a second.
struct AddedMode {
  unsigned width;
  unsigned height;
  double megahertz;
  unsigned long flags = 0;
};

void addModesToPrimaryOutput(const std::string& displayName, const std::vector<AddedMode>& modes) {
  const DisplayPtr display(XOpenDisplay(displayName.c_str()));
  ASSERT_TRUE(display);
  const Window root = DefaultRootWindow(display.get());
  const RROutput output = XRRGetOutputPrimary(display.get(), root);
  ASSERT_NE(output, 0u);
  int count = 0;
  for (const AddedMode& mode : modes) {
    std::string name = "added-" + std::to_string(++count);
    XRRModeInfo info{};
    info.width = mode.width;
    info.height = mode.height;
    info.dotClock = static_cast<unsigned long>(mode.megahertz * 1e6 + 0.5);
    info.hSyncStart = mode.width + 8;
    info.hSyncEnd = mode.width + 16;
    info.hTotal = 2000;
    info.vSyncStart = mode.height + 1;
    info.vSyncEnd = mode.height + 2;
    info.vTotal = 1250;
    info.name = name.data();
    info.nameLength = static_cast<unsigned>(name.size());
    info.modeFlags = mode.flags;
    XRRAddOutputMode(display.get(), output, XRRCreateMode(display.get(), root, &info));
  }
  XSync(display.get(), False);
}

// A log file of its own, since Xorg keeps the previous one by renaming it,
// and a seat other than seat0, so that it leaves the consoles alone.
std::vector<std::string> xorgCommand(const test::TempDir& folder) {
  return {"Xorg", "-config", std::string(VALDOR_SOURCE_DIR) + "/tests/platform/data/xorg-dummy.conf",
          "-logfile", (folder / "xorg.log").string(), "-seat", "seat-valdor-test", "-nolisten", "tcp", "-noreset"};
}

bool xorgDummyInstalled() {
  const bool driver = std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so") ||
                      std::filesystem::exists("/usr/lib64/xorg/modules/drivers/dummy_drv.so");
  // A configuration file of one's own is for root only.
  return driver && onPath("Xorg") && geteuid() == 0;
}

// ---- without a server ----

TEST(X11DisplayModes, NoServerGivesAnEmptyList) {
  EXPECT_THAT(X11DisplayModeSource("unix:65534").modes(), ::testing::IsEmpty());
}

// ---- Xvfb: one mode, the screen, with no timings ----

TEST(X11DisplayModes, XvfbOffersItsScreenSizeAtZeroHertz) {
  if (!onPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  const test::TempDir folder;
  const TestXServer server({"Xvfb", "-screen", "0", "1152x864x24", "-nolisten", "tcp"}, folder);
  ASSERT_TRUE(server.running()) << server.log();
  EXPECT_THAT(main_window::FillDisplayModes(X11DisplayModeSource(server.display())), ::testing::ElementsAre("1152x864@0Hz"));
}

TEST(X11DisplayModes, ScreenWithoutThirtyTwoBitPixelsOffersNone) {
  if (!onPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  const test::TempDir folder;
  const TestXServer server({"Xvfb", "-screen", "0", "1152x864x16", "-nolisten", "tcp"}, folder);
  ASSERT_TRUE(server.running()) << server.log();
  EXPECT_THAT(X11DisplayModeSource(server.display()).modes(), ::testing::IsEmpty());
}

// ---- Xorg with the dummy driver: many modes at real rates ----

TEST(X11DisplayModes, PrimaryOutputsModesComeOnceInAscendingOrderWithRoundedRates) {
  if (!xorgDummyInstalled()) GTEST_SKIP() << "no Xorg with the dummy driver, or not root";
  const test::TempDir folder;
  const TestXServer server(xorgCommand(folder), folder);
  ASSERT_TRUE(server.running()) << server.log();
  const X11DisplayModeSource source(server.display());
  const auto before = source.modes();
  ASSERT_GT(before.size(), 10u);
  EXPECT_EQ(before, ascendingUnique(before));
  EXPECT_THAT(before, ::testing::Contains(DisplayMode{1920, 1080, 60}));  // the configured mode
  EXPECT_THAT(main_window::FillDisplayModes(source), ::testing::Each(::testing::Not(::testing::EndsWith("@0Hz"))));

  // Modes the server did not have take their places in the order; one it
  // had again under other timings is not listed twice.
  addModesToPrimaryOutput(server.display(), {{1024, 768, 149.85},                // 59.94 Hz
                                             {639, 480, 150.0},                  // too narrow
                                             {800, 600, 186.5},                  // 74.6 Hz
                                             {640, 480, 75.0, RR_Interlace},     // 30 frames, 60 fields
                                             {1280, 1024, 300.0, RR_DoubleScan}, // each line twice
                                             {1152, 864, 188.625},               // 75.45 Hz
                                             {1152, 864, 188.0}});               // 75.2 Hz: the same text
  auto expected = before;
  expected.insert(expected.end(), {{1024, 768, 60}, {639, 480, 60}, {800, 600, 75}, {640, 480, 60},
                                   {1280, 1024, 60}, {1152, 864, 75}});
  expected = ascendingUnique(expected);
  const auto after = source.modes();
  EXPECT_EQ(after, expected);
  EXPECT_THAT(after, ::testing::Contains(DisplayMode{639, 480, 60}));  // narrow modes are the list's to drop
}

TEST(X11DisplayModes, WithoutAPrimaryOutputTheFirstConnectedOneCounts) {
  if (!xorgDummyInstalled()) GTEST_SKIP() << "no Xorg with the dummy driver, or not root";
  const test::TempDir folder;
  const TestXServer server(xorgCommand(folder), folder);
  ASSERT_TRUE(server.running()) << server.log();
  const X11DisplayModeSource source(server.display());
  const auto withPrimary = source.modes();
  {
    const DisplayPtr display(XOpenDisplay(server.display().c_str()));
    ASSERT_TRUE(display);
    XRRSetOutputPrimary(display.get(), DefaultRootWindow(display.get()), None);
    ASSERT_EQ(XRRGetOutputPrimary(display.get(), DefaultRootWindow(display.get())), 0u);
  }
  EXPECT_THAT(source.modes(), ::testing::ElementsAreArray(withPrimary));
  EXPECT_FALSE(withPrimary.empty());
}

}  // namespace
}  // namespace valdor::platform
