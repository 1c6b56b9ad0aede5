#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/config_paths.h"
#include "app/dialogs.h"
#include "config/file_io.h"
#include "i18n/translator.h"

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
// say. Bytes after the second file are ignored.
std::optional<BackupContents> UnpackBackup(std::string_view bytes);

// The characters after the last "." of the file name, "" when it has none.
std::string FileNameExtension(const std::filesystem::path& path);

// Where a backup chosen under `chosen` is written: ".vib" is appended to a
// name without extension; any other name is kept as it is.
std::filesystem::path BackupTarget(const std::filesystem::path& chosen);

enum class BackupStatus {
  Done,
  InvalidFile,  // not named ".vib", or shorter than its lengths say
  ReadFailed,   // `file` names what could not be read
  WriteFailed,  // `file` names what could not be written
};

struct BackupResult {
  BackupStatus status = BackupStatus::Done;
  config::FileResult file;

  bool ok() const { return status == BackupStatus::Done; }
};

// Writes a backup of both files to `target` as named. The backup appears
// only when complete: a failure leaves no file behind and an existing one as
// it was.
BackupResult CreateBackupFile(const app::ConfigPaths& paths, const std::filesystem::path& target);

// Replaces both files with the backup's contents, both or neither: each is
// written beside its target first and renamed into place only when both are
// complete. A name whose extension is not exactly "vib" is refused unread.
BackupResult LoadBackupFile(const app::ConfigPaths& paths, const std::filesystem::path& backup);

// What the player is told about a failure, in the translator's language
// (Windows-1252); "" for Done.
std::string BackupMessage(const i18n::Translator& translator, const BackupResult& result);

// The create button: the save dialog, then the backup; a failure is shown.
void CreateBackup(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs);

// The load button: the question, the open dialog, then both files; a failure
// is shown. True when the files were replaced: the window then reloads its
// settings from them (LoadMainSettings with its current settings as the
// previous ones, lists not refilled).
bool LoadBackup(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs);

}  // namespace valdor::main_window
