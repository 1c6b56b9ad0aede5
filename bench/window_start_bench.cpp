// Start to first paint of the main window, against a bare Qt dialog of the
// same size with one button, and the peak memory of both. Every start runs in
// a fresh process (this program again, with --child), the two kinds taking
// turns, so neither profits from the other's warm caches more than the other.
// Needs an X display: run it under xvfb-run when there is none.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ui/dialog_builder.h"
#include "app/settings_store.h"
#include "main_window/display_modes.h"
#include "main_window/main_controls.h"
#include "main_window/main_dlg.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 15;
constexpr double kTimeLimit = 1.3;    // times the bare dialog's median
constexpr double kMemoryLimit = 1.2;

long long monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// The process's peak resident memory in kB.
long peakMemoryKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

// Answers nothing and blocks on nothing: a start that asks is a failed run.
class SilentDialogs final : public valdor::app::Dialogs {
 public:
  void showMessage(std::string_view text) override { std::cerr << "message: " << text << "\n"; }
  bool askYesNo(std::string_view) override { return false; }
  std::optional<fs::path> openFile(const valdor::app::FileDialogOptions&) override { return std::nullopt; }
  std::optional<fs::path> saveFile(const valdor::app::FileDialogOptions&) override { return std::nullopt; }
  std::optional<std::size_t> chooseInstallation(std::string_view,
                                                const std::vector<valdor::app::InstallationChoice>&) override {
    return std::nullopt;
  }
};

// Reports, once the window's first frame is painted, the clock and the peak
// memory on stdout, then ends the event loop.
class FirstPaint final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_seen) {
      m_seen = true;
      // After the children have painted and the frame went to the screen.
      QTimer::singleShot(0, [] {
        std::printf("%lld %ld\n", monotonicNanoseconds(), peakMemoryKb());
        std::fflush(stdout);
        QApplication::quit();
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_seen = false;
};

int runChild(const std::string& kind, const fs::path& scratch, int argc, char** argv) {
  QApplication application(argc, argv);
  FirstPaint firstPaint;
  QTimer::singleShot(20'000, [] { QApplication::exit(3); });  // never painted

  std::unique_ptr<QDialog> window;
  auto store = valdor::app::makeSettingsStore(scratch / "state");
  SilentDialogs dialogs;
  std::unique_ptr<valdor::main_window::DisplayModeSource> modes;
  if (kind == "bare") {
    const auto units = valdor::ui::dialogUnitsOf(valdor::ui::dialogFont());
    window = std::make_unique<QDialog>();
    window->setFixedSize(units.toPixelsX(valdor::main_window::kTemplateWidth),
                         units.toPixelsY(valdor::main_window::kTemplateHeight));
    (new QPushButton(QStringLiteral("OK"), window.get()))->setGeometry(500, 560, 130, 32);
  } else {
    modes = valdor::platform::makeSystemDisplayModeSource();
    auto main = std::make_unique<valdor::main_window::CTuningDlg>(
        *store, dialogs, valdor::app::StartupOptions{scratch / "game", scratch / "documents", scratch / "state"},
        *modes);
    if (!main->OnInitDialog()) return 4;
    window = std::move(main);
  }
  window->installEventFilter(&firstPaint);
  window->show();
  return application.exec();
}

struct Sample {
  double milliseconds = 0;
  long peakKb = 0;
};

std::optional<Sample> runOnce(const std::string& kind, const fs::path& scratch) {
  int out[2];
  if (pipe(out) != 0) return std::nullopt;
  const long long started = monotonicNanoseconds();
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    const std::string scratchText = scratch.string();
    execl("/proc/self/exe", "window_start_bench", "--child", kind.c_str(), scratchText.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string report;
  char buffer[256];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    report.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  long long painted = 0;
  Sample sample;
  std::istringstream fields(report);
  if (!(fields >> painted >> sample.peakKb) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::cerr << kind << ": the window did not paint (status " << status << ")\n";
    return std::nullopt;
  }
  sample.milliseconds = static_cast<double>(painted - started) / 1e6;
  return sample;
}

template <typename T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int runParent(int runs) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    std::cerr << "window_start_bench needs a display; run it under xvfb-run\n";
    return 2;
  }
  // The sample installation, copied so the runs cannot change it.
  char pattern[] = "/tmp/valdor-window-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 2;
  const fs::path scratch = pattern;
  for (const char* part : {"game", "documents"}) {
    fs::copy(fs::path(VALDOR_SOURCE_DIR) / "demo" / part, scratch / part, fs::copy_options::recursive);
  }

  std::vector<double> times[2];
  std::vector<long> peaks[2];
  const std::string kinds[2] = {"bare", "main"};
  bool failed = false;
  for (int run = 0; run < runs && !failed; ++run) {
    for (int turn = 0; turn < 2; ++turn) {
      const int k = (run + turn) % 2;  // alternate which kind goes first
      auto sample = runOnce(kinds[k], scratch);
      if (!sample) {
        failed = true;
        break;
      }
      times[k].push_back(sample->milliseconds);
      peaks[k].push_back(sample->peakKb);
    }
  }
  fs::remove_all(scratch);
  if (failed) return 1;

  const double bareTime = median(times[0]);
  const double mainTime = median(times[1]);
  const long bareMemory = median(peaks[0]);
  const long mainMemory = median(peaks[1]);
  const double timeRatio = mainTime / bareTime;
  const double memoryRatio = static_cast<double>(mainMemory) / static_cast<double>(bareMemory);
  std::printf("start to first paint, median of %d runs each\n", runs);
  std::printf("  bare dialog  %7.1f ms  %7ld kB peak\n", bareTime, bareMemory);
  std::printf("  main window  %7.1f ms  %7ld kB peak\n", mainTime, mainMemory);
  std::printf("  ratio        %7.2f x (limit %.1f)  %5.2f x (limit %.1f)\n", timeRatio, kTimeLimit, memoryRatio,
              kMemoryLimit);
  const bool within = timeRatio <= kTimeLimit && memoryRatio <= kMemoryLimit;
  std::printf("  %s\n", within ? "within the limits" : "OVER THE LIMITS");
  return within ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return runChild(argv[2], argv[3], argc, argv);
  int runs = kRuns;
  if (argc == 3 && std::strcmp(argv[1], "--runs") == 0) runs = std::max(1, std::atoi(argv[2]));
  return runParent(runs);
}
