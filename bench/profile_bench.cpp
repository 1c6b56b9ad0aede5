// Reading and writing single keys, as every window does, on a large engine
// file and on the sample installation's ve3.ini.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/bench_files.h"
#include "config/profile.h"

namespace fs = std::filesystem;

namespace {

std::string sampleEngineIni() {
  std::ifstream in(fs::path(VALDOR_SOURCE_DIR) / "demo/game/Ini/ve3.ini", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Fixture {
  fs::path folder;
  fs::path file;

  explicit Fixture(const std::string& content) {
    std::string pattern = (fs::temp_directory_path() / "valdor-bench-XXXXXX").string();
    folder = mkdtemp(pattern.data());
    file = folder / "ve3.ini";
    std::ofstream(file, std::ios::binary) << content;
  }
  ~Fixture() { fs::remove_all(folder); }
};

void readKey(benchmark::State& state, const std::string& content, const char* section, const char* key) {
  Fixture fixture(content);
  for (auto _ : state) {
    benchmark::DoNotOptimize(valdor::config::getProfileString(fixture.file, section, key, "x"));
  }
}

void writeKey(benchmark::State& state, const std::string& content, const char* section, const char* key) {
  Fixture fixture(content);
  int n = 0;
  for (auto _ : state) {
    auto result = valdor::config::writeProfileString(fixture.file, section, key, std::to_string(++n % 2));
    if (!result.ok()) state.SkipWithError("write failed");
  }
}

void BM_ReadKeyLargeFile(benchmark::State& state) {
  readKey(state, valdor::bench::generatedEngineIni(), "Engine.Section19", "Render.Setting97");
}
void BM_WriteKeyLargeFile(benchmark::State& state) {
  writeKey(state, valdor::bench::generatedEngineIni(), "Engine.Section19", "Render.Setting97");
}
void BM_ReadKeySample(benchmark::State& state) {
  readKey(state, sampleEngineIni(), "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh");
}
void BM_WriteKeySample(benchmark::State& state) {
  writeKey(state, sampleEngineIni(), "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh");
}

}  // namespace

BENCHMARK(BM_ReadKeyLargeFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteKeyLargeFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadKeySample)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteKeySample)->Unit(benchmark::kMicrosecond);

namespace {

// A window's save: thirteen keys of one section in one replacement.
void BM_WriteThirteenKeysSample(benchmark::State& state) {
  Fixture fixture(sampleEngineIni());
  int n = 0;
  for (auto _ : state) {
    valdor::config::ProfileEdit edit(fixture.file);
    ++n;
    for (int key = 0; key < 13; ++key) {
      edit.set("Engine.Setup", "Bench.Key" + std::to_string(key), std::to_string((n + key) % 7));
    }
    if (!edit.save().ok()) state.SkipWithError("write failed");
  }
  // Time per key: the inverse of the keys-per-second rate.
  state.counters["per_key"] = benchmark::Counter(static_cast<double>(state.iterations()) * 13,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_WriteThirteenKeysSample)->Unit(benchmark::kMicrosecond)->UseRealTime();
