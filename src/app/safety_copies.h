#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "app/config_paths.h"
#include "config/file_io.h"

// Copies of the game's files as they were before the tool changed them, kept
// in the tool's state folder, and the undo that puts them back. The first
// write of each game file in a run of the tool is preceded by a copy, so every
// save can be taken back, whichever window or command made it.
namespace valdor::app {

// Entries kept per installation; older ones are removed as new ones come.
inline constexpr std::size_t kSafetyCopiesKept = 10;

// The folder of an installation's safety copies: inside stateDir when given,
// else in the lasting per-user state folder (the user's temporary folder on
// Windows). One folder per game folder, named after the game folder's last
// part (characters outside letters, digits, '.', '-' and '_' as '_') and a
// hash of its whole path, so two installations never share one.
std::filesystem::path safetyCopyFolder(const std::optional<std::filesystem::path>& stateDir,
                                       const std::filesystem::path& gameFolder);

// One file of an entry: where it was and its copy.
struct SafetyCopyFile {
  std::filesystem::path original;
  std::filesystem::path copy;
};

// One save's copies.
struct SafetyCopy {
  std::uint64_t number = 0;  // rises with every entry of the installation
  std::string name;          // the entry's folder name
  std::string time;          // when the copy was made, "YYYY-MM-DD HH:MM:SS UTC"
  std::optional<std::uint64_t> undoes;  // made by an undo: the number of the entry it put back
  std::vector<SafetyCopyFile> files;
  // ve3.ini and UserOptions.ini as they were, as a backup the editor loads;
  // empty when either could not be read.
  std::filesystem::path backup;
};

// What undo() did.
struct UndoOutcome {
  config::Result result;            // the failure, or success naming the first file put back
  std::optional<SafetyCopy> undone;  // the entry put back; nullopt when there was none
};

class SafetyCopies {
 public:
  // `folder` is the installation's (safetyCopyFolder); `paths` name the game
  // files that get copies: UserOptions.ini, ve3.ini, debug.ini and logo.ini.
  SafetyCopies(std::filesystem::path folder, ConfigPaths paths);

  const std::filesystem::path& folder() const { return m_folder; }

  // Called under the write lock before files are replaced: the game files
  // among `targets` not yet copied in this run are copied, as one entry, and
  // only the newest entries are kept. A file that does not exist yet has
  // nothing to put back and gets no copy. A copy that cannot be written fails,
  // and the save with it.
  config::Result beforeReplace(std::span<const std::filesystem::path> targets);

  // The complete entries, newest first.
  std::vector<SafetyCopy> history() const;

  // The entry undo() would put back: the newest save not yet undone. Each
  // undo takes back one more save, going back in time; a save made after an
  // undo is taken back first.
  std::optional<SafetyCopy> nextUndo() const;

  // Puts back every file of nextUndo() as one, under the write lock: all of
  // them or, on failure, none. The files as they were before the undo are
  // first kept as an entry of their own, so nothing is lost; that entry is
  // removed again when the files could not be put back.
  UndoOutcome undo();

 private:
  struct Original {
    std::filesystem::path path;
    std::string copyName;
  };

  std::optional<Original> gameFile(const std::filesystem::path& target) const;
  config::ResultOr<SafetyCopy> writeEntry(const std::vector<Original>& files, std::optional<std::uint64_t> undoes);
  std::vector<SafetyCopy> entries() const;  // complete ones, oldest first
  void prune() const;

  std::filesystem::path m_folder;
  ConfigPaths m_paths;
  std::set<std::filesystem::path> m_copied;  // the game files copied in this run
};

// Makes a SafetyCopies of this installation the config layer's beforeReplace,
// in place of any earlier one, and gives it to the caller (for undo and the
// history). A run of the tool calls it once it knows the game's paths.
std::shared_ptr<SafetyCopies> keepSafetyCopies(const std::optional<std::filesystem::path>& stateDir,
                                               const std::filesystem::path& gameFolder, const ConfigPaths& paths);

// No copies are made any more.
void stopSafetyCopies();

}  // namespace valdor::app
