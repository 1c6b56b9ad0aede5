#include "main_window/backups.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

#include "i18n/file_messages.h"

namespace valdor::main_window {

namespace {

namespace fs = std::filesystem;
using config::FileError;
using config::FileResult;

constexpr std::size_t kLengthSize = 4;
constexpr std::size_t kHeaderSize = 2 * kLengthSize;
constexpr std::uint64_t kMaxLength = std::numeric_limits<std::uint32_t>::max();

void appendLength(std::string& bytes, std::size_t length) {
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((length >> shift) & 0xFF);
}

std::uint64_t lengthAt(std::string_view bytes, std::size_t offset) {
  std::uint64_t length = 0;
  for (std::size_t i = 0; i < kLengthSize; ++i) {
    length |= std::uint64_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
  }
  return length;
}

BackupResult failed(BackupStatus status, FileResult file) { return {status, std::move(file)}; }

app::FileDialogOptions dialogOptions() {
  app::FileDialogOptions options;
  options.filterDescription = kBackupFilterDescription;
  options.filterPattern = kBackupFilterPattern;
  return options;
}

}  // namespace

std::optional<std::string> PackBackup(std::string_view engine, std::string_view userOptions) {
  if (engine.size() > kMaxLength || userOptions.size() > kMaxLength) return std::nullopt;
  std::string bytes;
  bytes.reserve(kHeaderSize + engine.size() + userOptions.size());
  appendLength(bytes, engine.size());
  appendLength(bytes, userOptions.size());
  bytes += engine;
  bytes += userOptions;
  return bytes;
}

std::optional<BackupContents> UnpackBackup(std::string_view bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  // In 64 bits the sum of two 32-bit lengths cannot wrap around, so lengths
  // near 4 GiB cannot pass for small ones.
  const std::uint64_t engineLength = lengthAt(bytes, 0);
  const std::uint64_t userLength = lengthAt(bytes, kLengthSize);
  if (engineLength + userLength > std::uint64_t{bytes.size() - kHeaderSize}) return std::nullopt;
  bytes.remove_prefix(kHeaderSize);
  const auto engineSize = static_cast<std::size_t>(engineLength);
  return BackupContents{std::string(bytes.substr(0, engineSize)),
                        std::string(bytes.substr(engineSize, static_cast<std::size_t>(userLength)))};
}

std::string FileNameExtension(const fs::path& path) {
  const std::u8string name = path.filename().u8string();
  const auto dot = name.rfind(u8'.');
  if (dot == std::u8string::npos) return {};
  return {name.begin() + static_cast<std::ptrdiff_t>(dot) + 1, name.end()};
}

fs::path BackupTarget(const fs::path& chosen) {
  if (!FileNameExtension(chosen).empty()) return chosen;
  fs::path target = chosen;
  target += ".";
  target += kBackupExtension;
  return target;
}

BackupResult CreateBackupFile(const app::ConfigPaths& paths, const fs::path& target) {
  FileResult why;
  const auto engine = config::readFile(paths.engineIni, &why);
  if (!engine) return failed(BackupStatus::ReadFailed, why);
  const auto userOptions = config::readFile(paths.userOptionsIni, &why);
  if (!userOptions) return failed(BackupStatus::ReadFailed, why);
  const auto bytes = PackBackup(*engine, *userOptions);
  if (!bytes) {
    const fs::path& tooLong = engine->size() > kMaxLength ? paths.engineIni : paths.userOptionsIni;
    return failed(BackupStatus::ReadFailed, {FileError::Other, tooLong, "file too large for a backup (4 GiB or more)"});
  }
  // Written beside the target and renamed when complete: a full disk or a
  // failing source never leaves a torn backup that loading would take.
  FileResult written = config::replaceFile(target, *bytes);
  if (!written) return failed(BackupStatus::WriteFailed, written);
  return {BackupStatus::Done, written};
}

BackupResult LoadBackupFile(const app::ConfigPaths& paths, const fs::path& backup) {
  if (FileNameExtension(backup) != kBackupExtension) {
    return failed(BackupStatus::InvalidFile, {FileError::Other, backup, {}});
  }
  FileResult why;
  const auto bytes = config::readFile(backup, &why);
  if (!bytes) return failed(BackupStatus::ReadFailed, why);
  const auto contents = UnpackBackup(*bytes);
  if (!contents) return failed(BackupStatus::InvalidFile, {FileError::Other, backup, {}});

  // Both files are staged before either is replaced, so a read-only or
  // unwritable second file cannot leave the first one restored alone.
  auto engine = config::StagedFile::prepare(paths.engineIni, contents->engine, why);
  if (!engine) return failed(BackupStatus::WriteFailed, why);
  auto userOptions = config::StagedFile::prepare(paths.userOptionsIni, contents->userOptions, why);
  if (!userOptions) return failed(BackupStatus::WriteFailed, why);
  if (why = engine->commit(); !why) return failed(BackupStatus::WriteFailed, why);
  if (why = userOptions->commit(); !why) return failed(BackupStatus::WriteFailed, why);
  return {BackupStatus::Done, FileResult::success(backup)};
}

std::string BackupMessage(const i18n::Translator& translator, const BackupResult& result) {
  switch (result.status) {
    case BackupStatus::Done:
      return {};
    case BackupStatus::InvalidFile:
      return translator.message("MESSAGE_INVALIDFILE");
    case BackupStatus::ReadFailed:
      return i18n::readFailureMessage(translator, result.file);
    case BackupStatus::WriteFailed:
      return i18n::writeFailureMessage(translator, result.file);
  }
  return {};
}

void CreateBackup(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs) {
  auto options = dialogOptions();
  // The dialog appends the extension too, so its question before replacing
  // an existing file is about the file that will really be replaced.
  options.defaultExtension = kBackupExtension;
  const auto chosen = dialogs.saveFile(options);
  if (!chosen) return;
  const BackupResult result = CreateBackupFile(paths, BackupTarget(*chosen));
  if (!result.ok()) dialogs.showMessage(BackupMessage(translator, result));
}

bool LoadBackup(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs) {
  if (!dialogs.askYesNo(translator.message("MESSAGE_LOADBACKUP"))) return false;
  const auto chosen = dialogs.openFile(dialogOptions());
  if (!chosen) return false;
  const BackupResult result = LoadBackupFile(paths, *chosen);
  if (!result.ok()) dialogs.showMessage(BackupMessage(translator, result));
  return result.ok();
}

}  // namespace valdor::main_window
