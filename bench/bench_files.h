#pragma once

// The files the benchmarks work on: scratch copies of the sample
// installation and a generated engine file of 2,000 lines.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/config_paths.h"
#include "config/commit.h"

namespace valdor::bench {

// 2,000 lines: 20 sections of 98 keys, with a comment before each.
inline std::string generatedEngineIni() {
  std::string ini;
  for (int section = 0; section < 20; ++section) {
    ini += "; section " + std::to_string(section) + "\r\n[Engine.Section" + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 98; ++key) {
      ini += "Render.Setting" + std::to_string(key) + "=" + std::to_string(section * 1000 + key) + ".0\r\n";
    }
  }
  return ini;
}

// A copy of the sample installation in the temporary folder, removed again.
// Saves keep their commit records in it, as the program keeps them in its
// state folder: a save of two files costs one record more.
struct Installation {
  std::filesystem::path folder;
  app::ConfigPaths paths;

  Installation() {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "valdor-bench-XXXXXX").string();
    folder = mkdtemp(pattern.data());
    fs::copy(fs::path(VALDOR_SOURCE_DIR) / "demo/game", folder / "game", fs::copy_options::recursive);
    fs::copy(fs::path(VALDOR_SOURCE_DIR) / "demo/documents", folder / "documents", fs::copy_options::recursive);
    paths.userOptionsIni = folder / "documents/valdor3/UserOptions.ini";
    paths.engineIni = folder / "game/Ini/ve3.ini";
    config::CommitSettings settings = config::commitSettings();
    settings.journalFolder = folder / "state/commits";
    config::setCommitSettings(settings);
  }
  ~Installation() {
    config::setCommitSettings({});
    std::filesystem::remove_all(folder);
  }
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;
};

}  // namespace valdor::bench
