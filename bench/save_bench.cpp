// What a save costs against what the disk needs anyway: one durable
// replacement of a file of the same size (write it, fsync it, rename it over
// the old one, fsync the folder). Measured in the same run, each as the median
// of several repetitions, and printed as ratios at the end. Also the read of
// one key from a 2,000-line file, which every window does dozens of times.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "cache_window/cache_settings.h"
#include "config/profile.h"
#include "i18n/translator.h"
#include "main_window/main_settings.h"

namespace fs = std::filesystem;
using namespace valdor;
using bench::Installation;

namespace {

constexpr double kSaveLimit = 1.5;         // times the durable replacement
constexpr double kReadLimitMicros = 20.0;  // one key from a 2,000-line file

const std::vector<std::string> kModes{"1280x1024@60Hz", "1920x1080@60Hz"};

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The floor: the least a crash-safe replacement of `target` costs on this disk.
bool durableReplace(const fs::path& target, const std::string& bytes) {
  const fs::path temp = target.string() + ".floor";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  const int dir = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ok = dir >= 0 && ::fsync(dir) == 0 && ok;
  if (dir >= 0) ::close(dir);
  return ok;
}

void BM_FloorOneFile(benchmark::State& state) {
  const Installation installation;
  const std::string bytes = readAll(installation.paths.engineIni);
  for (auto _ : state) {
    if (!durableReplace(installation.paths.engineIni, bytes)) state.SkipWithError("write failed");
  }
}

void BM_FloorTwoFiles(benchmark::State& state) {
  const Installation installation;
  const std::string engine = readAll(installation.paths.engineIni);
  const std::string user = readAll(installation.paths.userOptionsIni);
  for (auto _ : state) {
    if (!durableReplace(installation.paths.engineIni, engine) ||
        !durableReplace(installation.paths.userOptionsIni, user)) {
      state.SkipWithError("write failed");
    }
  }
}

// `ini set` and every single-key write: one key of ve3.ini, changed each time.
void BM_SaveOneKey(benchmark::State& state) {
  const Installation installation;
  int n = 0;
  for (auto _ : state) {
    auto result = config::writeProfileString(installation.paths.engineIni, "Option.Sliders",
                                             "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh",
                                             std::to_string(100000 + ++n % 2));
    if (!result.ok()) state.SkipWithError("write failed");
  }
}

// The cache window's save as the editor makes it: its 29 keys of ve3.ini in
// one replacement, after checking that none changed since they were read.
void BM_SaveCacheWindow(benchmark::State& state) {
  const Installation installation;
  const auto stored = cache_window::LoadCacheSizes(installation.paths.engineIni);
  auto loaded = cache_window::CacheLoadedKeys(installation.paths.engineIni);
  loaded.rememberFromFiles();
  auto changed = stored;
  changed.texturesHigh = "123456789";
  bool flip = false;
  for (auto _ : state) {
    if (!cache_window::SaveCacheSizes(flip ? stored : changed, installation.paths.engineIni, &loaded).ok()) {
      state.SkipWithError("save failed");
    }
    flip = !flip;
  }
}

// The main window's save as the editor makes it: keys of ve3.ini and
// UserOptions.ini, checked as above, both files replaced each time with a
// commit record; its floor is two replacements.
void BM_SaveMainWindow(benchmark::State& state) {
  const Installation installation;
  i18n::Translator translator;
  translator.setLanguage(std::string(i18n::kEnglish));
  const auto texts = main_window::MainTexts::fromTranslator(translator);
  const auto stored = main_window::LoadMainSettings(installation.paths, texts, kModes, {});
  auto restored = stored;
  main_window::RestoreMainDefaults(restored, texts, kModes);
  restored.resolution = kModes[1];
  auto loaded = main_window::MainLoadedKeys(installation.paths);
  loaded.rememberFromFiles();
  bool flip = false;
  for (auto _ : state) {
    if (!main_window::SaveMainSettings(installation.paths, flip ? stored : restored, &loaded).ok()) {
      state.SkipWithError("save failed");
    }
    flip = !flip;
  }
}

void BM_ReadKeyLargeFile(benchmark::State& state) {
  const Installation installation;
  const fs::path file = installation.folder / "large.ini";
  std::ofstream(file, std::ios::binary) << bench::generatedEngineIni();
  for (auto _ : state) {
    benchmark::DoNotOptimize(config::getProfileString(file, "Engine.Section19", "Render.Setting97", "x"));
  }
}

constexpr int kRepetitions = 15;

BENCHMARK(BM_FloorOneFile)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_SaveOneKey)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_SaveCacheWindow)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_FloorTwoFiles)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_SaveMainWindow)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK(BM_ReadKeyLargeFile)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(kRepetitions);

// Prints the runs as usual and keeps each benchmark's median, in µs.
class MedianReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred) {
        medians[run.run_name.function_name] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv) {
  // The repetitions of all benchmarks run shuffled among each other, so a
  // disk that grows slower or faster during the run weighs on the saves and
  // on their floors alike.
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  auto& m = reporter.medians;
  bool within = true;
  std::printf("\nsaves against a durable replacement of the same files, medians of %d repetitions\n", kRepetitions);
  auto ratio = [&](const char* what, const char* save, const char* floor) {
    if (!m.count(save) || !m.count(floor)) return;
    const double r = m[save] / m[floor];
    within = within && r <= kSaveLimit;
    std::printf("  %-22s %9.1f us  floor %9.1f us  %5.2f x (limit %.1f x)\n", what, m[save], m[floor], r, kSaveLimit);
  };
  ratio("one key", "BM_SaveOneKey", "BM_FloorOneFile");
  ratio("cache window (1 file)", "BM_SaveCacheWindow", "BM_FloorOneFile");
  ratio("main window (2 files)", "BM_SaveMainWindow", "BM_FloorTwoFiles");
  if (m.count("BM_ReadKeyLargeFile")) {
    const double read = m["BM_ReadKeyLargeFile"];
    within = within && read <= kReadLimitMicros;
    std::printf("  %-22s %9.2f us  (limit %.0f us)\n", "read a key, 2,000 lines", read, kReadLimitMicros);
  }
  std::printf("  %s\n", within ? "within the limits" : "OVER THE LIMITS");
  return within ? 0 : 1;
}
