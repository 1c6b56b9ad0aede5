// Loading and saving the main window's 26 keys on a copy of the sample
// installation, the work behind the save button and `main set`.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/config_paths.h"
#include "i18n/translator.h"
#include "main_window/main_settings.h"

namespace fs = std::filesystem;
using namespace valdor;

namespace {

const std::vector<std::string> kModes{"1280x1024@60Hz", "1920x1080@60Hz"};

struct Installation {
  fs::path folder;
  app::ConfigPaths paths;

  Installation() {
    std::string pattern = (fs::temp_directory_path() / "valdor-bench-XXXXXX").string();
    folder = mkdtemp(pattern.data());
    fs::copy(fs::path(VALDOR_SOURCE_DIR) / "demo/game", folder / "game", fs::copy_options::recursive);
    fs::copy(fs::path(VALDOR_SOURCE_DIR) / "demo/documents", folder / "documents", fs::copy_options::recursive);
    paths.userOptionsIni = folder / "documents/valdor3/UserOptions.ini";
    paths.engineIni = folder / "game/Ini/ve3.ini";
  }
  ~Installation() { fs::remove_all(folder); }
};

main_window::MainTexts englishTexts() {
  i18n::Translator translator;
  translator.setLanguage(std::string(i18n::kEnglish));
  return main_window::MainTexts::fromTranslator(translator);
}

// Two records that differ in keys of both files, saved in turn, so every
// save replaces both files.
void BM_SaveMainSettings(benchmark::State& state) {
  const Installation installation;
  const auto texts = englishTexts();
  const auto stored = main_window::LoadMainSettings(installation.paths, texts, kModes, {});
  auto restored = stored;
  main_window::RestoreMainDefaults(restored, texts, kModes);
  restored.resolution = kModes[1];
  bool flip = false;
  for (auto _ : state) {
    const auto result = main_window::SaveMainSettings(installation.paths, flip ? stored : restored);
    flip = !flip;
    if (!result.ok()) {
      state.SkipWithError("save failed");
      break;
    }
  }
}

void BM_LoadMainSettings(benchmark::State& state) {
  const Installation installation;
  const auto texts = englishTexts();
  for (auto _ : state) {
    benchmark::DoNotOptimize(main_window::LoadMainSettings(installation.paths, texts, kModes, {}));
  }
}

}  // namespace

BENCHMARK(BM_SaveMainSettings)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LoadMainSettings)->Unit(benchmark::kMicrosecond);
