// Loading the main window's 26 keys on a copy of the sample installation,
// as the window and `main show` do. Its save is measured in save_bench.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "i18n/translator.h"
#include "main_window/main_settings.h"

namespace fs = std::filesystem;
using namespace valdor;

namespace {

const std::vector<std::string> kModes{"1280x1024@60Hz", "1920x1080@60Hz"};

main_window::MainTexts englishTexts() {
  i18n::Translator translator;
  translator.setLanguage(std::string(i18n::kEnglish));
  return main_window::MainTexts::fromTranslator(translator);
}

void BM_LoadMainSettings(benchmark::State& state) {
  const bench::Installation installation;
  const auto texts = englishTexts();
  for (auto _ : state) {
    benchmark::DoNotOptimize(main_window::LoadMainSettings(installation.paths, texts, kModes, {}));
  }
}

}  // namespace

BENCHMARK(BM_LoadMainSettings)->Unit(benchmark::kMicrosecond);
