#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Message boxes and file dialogs, behind an interface so the start-up and the
// windows' handlers can be driven by tests. Texts are UTF-8 (messages name
// files, whose names may hold any character).
namespace valdor::app {

struct FileDialogOptions {
  std::string title;
  std::string filterDescription;      // e.g. "*.exe"
  std::string filterPattern;          // e.g. "*.exe"
  std::string fileName;               // the name proposed at first
  std::string defaultExtension;       // appended to a name without one (save only)
  std::filesystem::path folder;       // the folder shown first; empty: the platform's choice
  bool showHidden = false;            // hidden files and folders are listed too
};

// What the player wants done with a window's unsaved changes as it closes.
enum class CloseAnswer { Save, Discard, GoBack };

// The question asked then, with the captions of its three buttons.
struct CloseQuestion {
  std::string text;
  std::string save;
  std::string discard;
  std::string goBack;
};

// What the player wants done when another program changed settings a window
// is about to save: take the files' values, write the window's over them, or
// go back to the window.
enum class OutsideEditAnswer { TakeFiles, Overwrite, GoBack };

// The question asked then, with the captions of its three buttons.
struct OutsideEditQuestion {
  std::string text;
  std::string takeFiles;
  std::string overwrite;
  std::string goBack;
};

// One installation of the game in a list to choose from.
struct InstallationChoice {
  std::filesystem::path gameFolder;
  std::string source;            // where it was found: "steam", "lutris", "heroic", "bottles" or "wine"
  std::filesystem::path prefix;  // the Wine prefix whose registry names it
};

// The answer a yes/no question has preselected.
enum class Answer { Yes, No };

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A message with an empty title and one OK button.
  virtual void showMessage(std::string_view text) = 0;

  // A question with Yes and No; true for Yes. Enter answers `preselected`:
  // No where Yes would risk the player's settings.
  virtual bool askYesNo(std::string_view text, Answer preselected = Answer::Yes) = 0;

  // Save, discard or go back; closing the question itself goes back.
  virtual CloseAnswer askSaveChanges(const CloseQuestion& question) = 0;

  // Take the files' values, overwrite them or go back; closing the question
  // itself goes back.
  virtual OutsideEditAnswer askOutsideEdits(const OutsideEditQuestion& question) = 0;

  // An existing file chosen by the user; nullopt when cancelled.
  virtual std::optional<std::filesystem::path> openFile(const FileDialogOptions& options) = 0;

  // A file name to write to; nullopt when cancelled.
  virtual std::optional<std::filesystem::path> saveFile(const FileDialogOptions& options) = 0;

  // The index of the installation chosen from a list under prompt; nullopt when declined.
  virtual std::optional<std::size_t> chooseInstallation(std::string_view prompt,
                                                        const std::vector<InstallationChoice>& choices) = 0;
};

}  // namespace valdor::app
