#include "main_window/backups.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <system_error>

#include "main_window/start_logos.h"

namespace valdor::main_window {

namespace {

namespace fs = std::filesystem;
using config::Failure;
using config::Result;

constexpr std::size_t kLengthSize = 4;
constexpr std::size_t kHeaderSize = 2 * kLengthSize;
constexpr std::uint64_t kMaxLength = std::numeric_limits<std::uint32_t>::max();
// As many links as the system follows before it gives up.
constexpr int kMaxLinks = 40;

// The path with every link along it followed, also a last link whose file
// does not exist yet: writing through it would create that file.
fs::path resolved(const fs::path& path) {
  std::error_code ec;
  fs::path current = fs::absolute(path, ec);
  if (ec) current = path;
  for (int links = 0; links < kMaxLinks; ++links) {
    const fs::path real = fs::weakly_canonical(current, ec);
    if (ec) return current.lexically_normal();
    if (!fs::is_symlink(real, ec)) return real;
    const fs::path target = fs::read_symlink(real, ec);
    if (ec) return real;
    current = target.is_absolute() ? target : real.parent_path() / target;
  }
  return current.lexically_normal();
}

bool sameFile(const fs::path& target, const fs::path& resolvedTarget, const fs::path& edited) {
  std::error_code ec;
  if (fs::equivalent(target, edited, ec) && !ec) return true;
  return resolvedTarget == resolved(edited);
}
// A backup holds two INI files, each of which the tool reads only up to
// config::kMaxFileSize; the format itself would allow two of 4 GiB, which
// could not be held in memory, and restored files larger than the limit could
// never be read back.
constexpr std::uint64_t kMaxBackupSize = kHeaderSize + 2 * config::kMaxFileSize;

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

}  // namespace

app::FileDialogOptions BackupOpenDialogOptions() {
  app::FileDialogOptions options;
  options.filterDescription = kBackupFilterDescription;
  options.filterPattern = kBackupFilterPattern;
  return options;
}

app::FileDialogOptions BackupSaveDialogOptions() {
  auto options = BackupOpenDialogOptions();
  // The dialog appends the extension too, so its question before replacing
  // an existing file is about the file that will really be replaced.
  options.defaultExtension = kBackupExtension;
  return options;
}

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
  if (bytes.size() < kHeaderSize || bytes.size() > kMaxBackupSize) return std::nullopt;
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

std::optional<fs::path> EditedFileAt(const app::ConfigPaths& paths, const fs::path& target) {
  const fs::path resolvedTarget = resolved(target);
  for (const fs::path& edited : {paths.engineIni, paths.debugIni, paths.userOptionsIni, LogoIniPath(paths)}) {
    if (!edited.empty() && sameFile(target, resolvedTarget, edited)) return edited;
  }
  return std::nullopt;
}

Result CreateBackupFile(const app::ConfigPaths& paths, const fs::path& target, ExistingBackup existing) {
  // The backup's bytes would replace the very file they came from, with
  // nothing the game can read; the overwrite question alone does not stop a
  // player who means "replace the old backup".
  if (EditedFileAt(paths, target)) return Result::failed(Failure::EditedFile, target);
  std::error_code ec;
  if (existing == ExistingBackup::Keep && fs::exists(fs::symlink_status(target, ec)))
    return Result::failed(Failure::AlreadyExists, target);
  const auto engine = config::readFile(paths.engineIni);
  if (!engine) return engine.result();
  const auto userOptions = config::readFile(paths.userOptionsIni);
  if (!userOptions) return userOptions.result();
  const auto bytes = PackBackup(*engine, *userOptions);
  if (!bytes) {
    const fs::path& tooLong = engine->size() > kMaxLength ? paths.engineIni : paths.userOptionsIni;
    return Result::failed(Failure::Other, tooLong, "file too large for a backup (4 GiB or more)",
                          config::Operation::Read);
  }
  // Written beside the target and renamed when complete: a full disk or a
  // failing source never leaves a torn backup that loading would take.
  return config::replaceFile(target, *bytes);
}

Result LoadBackupFile(const app::ConfigPaths& paths, const fs::path& backup) {
  if (FileNameExtension(backup) != kBackupExtension) {
    return Result::failed(Failure::InvalidFile, backup, {}, config::Operation::Read);
  }
  const auto bytes = config::readFile(backup, kMaxBackupSize);
  if (!bytes) return bytes.result();
  const auto contents = UnpackBackup(*bytes);
  if (!contents) return Result::failed(Failure::InvalidFile, backup, {}, config::Operation::Read);

  // Both files are staged before either is replaced, so a read-only or
  // unwritable second file cannot leave the first one restored alone.
  const std::array<config::Replacement, 2> files{{{paths.engineIni, contents->engine},
                                                  {paths.userOptionsIni, contents->userOptions}}};
  if (Result written = config::replaceTogether(files); !written) return written;
  return Result::success(backup);
}

}  // namespace valdor::main_window
