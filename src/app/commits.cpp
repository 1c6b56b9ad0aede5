#include "app/commits.h"

#include <system_error>

#include "app/resources.h"
#include "config/commit.h"
#include "config/environment.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace valdor::app {

namespace fs = std::filesystem;

fs::path journalFolder(const std::optional<fs::path>& stateDir) {
  fs::path folder;
  if (stateDir) {
    folder = *stateDir / "commits";
  } else {
#ifdef _WIN32
    // The user's temporary folder lasts across restarts there.
    folder = privateFolder(std::nullopt) / "commits";
#else
    fs::path state = config::environmentPath("XDG_STATE_HOME");
    if (state.empty()) state = config::environmentPath("HOME") / ".local" / "state";
    folder = state / "valdor3-tuning" / "commits";
#endif
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
#ifndef _WIN32
  // The records name the game's files; nobody else needs to read them.
  ::chmod(folder.c_str(), 0700);
#endif
  return folder;
}

void prepareSaving(const std::optional<fs::path>& stateDir) {
  config::CommitSettings settings = config::commitSettings();
  settings.journalFolder = journalFolder(stateDir);
  config::setCommitSettings(settings);
  config::finishInterruptedCommits();
}

}  // namespace valdor::app
