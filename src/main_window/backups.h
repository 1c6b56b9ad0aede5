#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/config_paths.h"
#include "app/dialogs.h"
#include "config/file_io.h"

// Backups of the game's two main configuration files, ve3.ini and
// UserOptions.ini, in one ".vib" file: the two byte lengths as unsigned 32-bit
// little-endian numbers, then the engine file's bytes, then the per-user
// file's bytes, exactly as on disk. Nothing else: no signature, no checksum.
namespace valdor::main_window {

inline constexpr std::string_view kBackupExtension = "vib";
inline constexpr std::string_view kBackupFilterDescription = "Valdor III Ini BackUp (*.vib)";
inline constexpr std::string_view kBackupFilterPattern = "*.vib";

struct BackupContents {
  std::string engine;
  std::string userOptions;

  bool operator==(const BackupContents&) const = default;
};

// The backup's bytes; nullopt when a file is too long for its 32-bit length.
std::optional<std::string> PackBackup(std::string_view engine, std::string_view userOptions);

// The two files a backup holds; nullopt when it is shorter than its lengths
// say or longer than 64 MB. Bytes after the second file are ignored.
std::optional<BackupContents> UnpackBackup(std::string_view bytes);

// The characters after the last "." of the file name, "" when it has none.
std::string FileNameExtension(const std::filesystem::path& path);

// Where a backup chosen under `chosen` is written: ".vib" is appended to a
// name without extension; any other name is kept as it is.
std::filesystem::path BackupTarget(const std::filesystem::path& chosen);

// What the save dialog for a new backup and the open dialog for loading one
// offer: the backup files, and for saving the extension added to a bare name.
app::FileDialogOptions BackupSaveDialogOptions();
app::FileDialogOptions BackupOpenDialogOptions();

// The file the tool edits (ve3.ini, debug.ini, UserOptions.ini, logo.ini)
// that `target` is: the same path once links are resolved, or the same file
// through a hard link. nullopt when it is none of them.
std::optional<std::filesystem::path> EditedFileAt(const app::ConfigPaths& paths, const std::filesystem::path& target);

// Whether an existing backup at the target may be replaced: the editor asks
// before, the command line only replaces with --force.
enum class ExistingBackup { Replace, Keep };

// Writes a backup of both files to `target` as named. The backup appears
// only when complete: a failure leaves no file behind and an existing one as
// it was. A file that cannot be read fails as a read. A target that is one of
// the edited files fails as EditedFile, naming it, and writes nothing; an
// existing target with ExistingBackup::Keep fails as AlreadyExists.
config::Result CreateBackupFile(const app::ConfigPaths& paths, const std::filesystem::path& target,
                                ExistingBackup existing = ExistingBackup::Replace);

// Replaces both files with the backup's contents, both or neither: each is
// written beside its target first and renamed into place only when both are
// complete. A name whose extension is not exactly "vib", and a file shorter
// than its lengths say, fail as InvalidFile, the first unread. On success the
// window reloads its settings from the files (LoadMainSettings with its
// current settings as the previous ones, lists not refilled).
config::Result LoadBackupFile(const app::ConfigPaths& paths, const std::filesystem::path& backup);

}  // namespace valdor::main_window
