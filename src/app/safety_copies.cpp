#include "app/safety_copies.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <system_error>
#include <utility>

#include "app/resources.h"
#include "config/commit.h"
#include "config/environment.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace valdor::app {

namespace fs = std::filesystem;
using config::Failure;
using config::Result;

namespace {

constexpr std::string_view kManifestName = "copies.txt";
constexpr std::string_view kManifestMagic = "valdor3-safety-copy 1";
constexpr std::string_view kBackupExtension = ".vib";
constexpr std::size_t kNumberDigits = 6;

fs::path stateBase(const std::optional<fs::path>& stateDir) {
  if (stateDir) return *stateDir;
#ifdef _WIN32
  return privateFolder(std::nullopt);
#else
  // Lasting, like the commit records: the copies are for after a bad save,
  // which may be noticed only after a restart.
  fs::path state = config::environmentPath("XDG_STATE_HOME");
  if (state.empty()) state = config::environmentPath("HOME") / ".local" / "state";
  return state / "valdor3-tuning";
#endif
}

// FNV-1a: stable across runs and platforms, unlike std::hash.
std::uint64_t pathHash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string sanitised(std::string_view name) {
  std::string result;
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                       c == '-' || c == '_';
    result += plain ? c : '_';
  }
  // A name of dots alone would be the folder itself or its parent.
  if (std::all_of(result.begin(), result.end(), [](char c) { return c == '.'; })) result = "game";
  return result.substr(0, 40);
}

std::string hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::string utcNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
#ifdef _WIN32
  gmtime_s(&parts, &now);
#else
  gmtime_r(&now, &parts);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
  return text;
}

std::optional<std::uint64_t> numberOf(std::string_view name) {
  std::uint64_t number = 0;
  const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), number);
  if (ec != std::errc() || end == name.data()) return std::nullopt;
  return number;
}

std::string entryName(std::uint64_t number, std::string_view time) {
  std::string digits = std::to_string(number);
  if (digits.size() < kNumberDigits) digits.insert(0, kNumberDigits - digits.size(), '0');
  std::string name = digits + "_";
  // "2026-12-07 18:40:00 UTC" as "2026-12-07_18-40-00": sorted and shown by
  // file dialogs without characters Windows refuses in names.
  for (const char c : time.substr(0, 19)) name += c == ' ' ? '_' : c == ':' ? '-' : c;
  return name;
}

#ifndef _WIN32
void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
#endif

// Makes the folder (0700) when missing and accepts it only as a real folder
// of this user that no one else may enter: the copies hold the player's
// settings, and a planted link would lead the writes elsewhere.
Result ensurePrivate(const fs::path& folder) {
#ifdef _WIN32
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) return Result::failed(Failure::FolderMissing, folder);
  return Result::success(folder);
#else
  if (::mkdir(folder.c_str(), 0700) == 0) {
    syncFolder(folder.parent_path());
  } else if (errno != EEXIST) {
    return Result::failed(errno == ENOENT ? Failure::FolderMissing : Failure::AccessDenied, folder);
  }
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
      (info.st_mode & 077) != 0) {
    return Result::failed(Failure::NotPrivate, folder);
  }
  return Result::success(folder);
#endif
}

// Written through the durable replacement (complete and flushed, or not at
// all), then readable by the user alone.
Result writePrivate(const fs::path& file, std::string_view bytes) {
  Result result = config::replaceFile(file, bytes);
#ifndef _WIN32
  if (result) ::chmod(file.c_str(), 0600);
#endif
  return result;
}

// The two files in the editor's backup format: their byte lengths as unsigned
// 32-bit little-endian numbers, then the engine file, then the user file.
std::optional<std::string> packBackup(std::string_view engine, std::string_view userOptions) {
  if (engine.size() > 0xFFFFFFFFu || userOptions.size() > 0xFFFFFFFFu) return std::nullopt;
  std::string bytes;
  for (const std::size_t length : {engine.size(), userOptions.size()}) {
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((length >> shift) & 0xFF);
  }
  bytes.append(engine).append(userOptions);
  return bytes;
}

// A path in the record, one line with a tab between its two fields: a
// folder name holding a line break or a tab (Linux allows both) must not
// read back as another line or field, which could name another file.
std::string escaped(std::string_view text) {
  std::string result;
  for (const char c : text) {
    if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
      result += code;
    } else {
      result += c;
    }
  }
  return result;
}

std::optional<std::string> unescaped(std::string_view text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      result += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size()) return std::nullopt;
    const char* digits = text.data() + i + 1;
    if (std::from_chars(digits, digits + 2, value, 16).ptr != digits + 2) return std::nullopt;
    result += static_cast<char>(value);
    i += 2;
  }
  return result;
}

std::string manifestOf(const SafetyCopy& entry) {
  std::string text(kManifestMagic);
  text += "\ntime=" + entry.time + "\n";
  if (entry.undoes) text += "undoes=" + std::to_string(*entry.undoes) + "\n";
  for (const SafetyCopyFile& file : entry.files) {
    text += "file=" + escaped(config::pathText(file.copy.filename())) + "\t" + escaped(config::pathText(file.original)) +
            "\n";
  }
  return text;
}

std::optional<SafetyCopy> readEntry(const fs::path& folder, std::uint64_t number, const std::string& name) {
  const auto bytes = config::readFile(folder / name / kManifestName);
  if (!bytes) return std::nullopt;
  std::string_view rest = *bytes;
  SafetyCopy entry;
  entry.number = number;
  entry.name = name;
  bool first = true;
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // cut short
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    if (first) {
      if (line != kManifestMagic) return std::nullopt;
      first = false;
    } else if (line.starts_with("time=")) {
      entry.time = line.substr(5);
    } else if (line.starts_with("undoes=")) {
      entry.undoes = numberOf(line.substr(7));
    } else if (line.starts_with("file=")) {
      const auto tab = line.find('\t');
      if (tab == std::string_view::npos) return std::nullopt;
      const auto copyText = unescaped(line.substr(5, tab - 5));
      const auto originalText = unescaped(line.substr(tab + 1));
      if (!copyText || !originalText) return std::nullopt;
      const fs::path copyName = config::pathFromText(*copyText);
      // Only a plain name inside the entry: an edited record must not make
      // undo read or write somewhere else.
      if (copyName.empty() || copyName != copyName.filename() || copyName == "." || copyName == "..") {
        return std::nullopt;
      }
      entry.files.push_back({config::pathFromText(*originalText), folder / name / copyName});
    }
  }
  if (first || entry.files.empty()) return std::nullopt;
  std::error_code ec;
  const fs::path backup = folder / (name + std::string(kBackupExtension));
  if (fs::is_regular_file(backup, ec)) entry.backup = backup;
  return entry;
}

}  // namespace

fs::path safetyCopyFolder(const std::optional<fs::path>& stateDir, const fs::path& gameFolder) {
  std::error_code ec;
  fs::path absolute = fs::absolute(gameFolder, ec);
  if (ec) absolute = gameFolder;
  absolute = absolute.lexically_normal();
  if (!absolute.has_filename()) absolute = absolute.parent_path();  // "Valdor 3/" is "Valdor 3"
  std::string last = config::pathText(absolute.filename());
  if (last.empty()) last = config::pathText(absolute.parent_path().filename());
  return stateBase(stateDir) / "safety-copies" / (sanitised(last) + "-" + hex(pathHash(config::pathText(absolute))));
}

SafetyCopies::SafetyCopies(fs::path folder, ConfigPaths paths) : m_folder(std::move(folder)), m_paths(std::move(paths)) {}

std::optional<SafetyCopies::Original> SafetyCopies::gameFile(const fs::path& target) const {
  const fs::path logos = config::joinPath(folderOfFile(m_paths.engineIni), "logo.ini");
  std::error_code ec;
  const fs::path real = fs::weakly_canonical(target, ec);
  for (const fs::path& file : {m_paths.userOptionsIni, m_paths.engineIni, m_paths.debugIni, logos}) {
    if (file.empty()) continue;
    const fs::path realFile = fs::weakly_canonical(file, ec);
    if (real == realFile || (fs::equivalent(target, file, ec) && !ec)) {
      return Original{real, config::pathText(file.filename())};
    }
  }
  return std::nullopt;
}

Result SafetyCopies::beforeReplace(std::span<const fs::path> targets) {
  std::vector<Original> files;
  for (const fs::path& target : targets) {
    auto file = gameFile(target);
    if (file && !m_copied.contains(file->path)) files.push_back(std::move(*file));
  }
  if (files.empty()) return Result::success(m_folder);
  auto entry = writeEntry(files, std::nullopt);
  if (!entry) return entry.result();
  prune();
  return Result::success(m_folder);
}

config::ResultOr<SafetyCopy> SafetyCopies::writeEntry(const std::vector<Original>& files,
                                                      std::optional<std::uint64_t> undoes) {
  std::vector<std::pair<const Original*, std::string>> copies;
  for (const Original& file : files) {
    auto bytes = config::readFile(file.path);
    if (!bytes && bytes.result().failure == Failure::NotFound) continue;  // nothing to put back
    if (!bytes) return bytes.result();
    copies.emplace_back(&file, std::move(*bytes));
  }
  // Copied once written: after a failure the next save of this run tries again.
  const auto markCopied = [&] {
    for (const Original& file : files) m_copied.insert(file.path);
  };
  SafetyCopy entry;
  entry.time = utcNow();
  entry.undoes = undoes;
  if (copies.empty()) {
    markCopied();
    return {entry, Result::success(m_folder)};
  }

  // The state folder itself may be shared with the tool's other files; the
  // copies' own folders are private.
  std::error_code ec;
  fs::create_directories(m_folder.parent_path().parent_path(), ec);
  if (Result made = ensurePrivate(m_folder.parent_path()); !made) return made;
  if (Result made = ensurePrivate(m_folder); !made) return made;
  // The next number after every entry there, finished or not; another copy
  // of the tool taking the same number at the same moment makes this one
  // take the next.
  std::uint64_t number = 1;
  for (const auto& item : fs::directory_iterator(m_folder, ec)) {
    if (auto found = numberOf(config::pathText(item.path().filename()))) number = std::max(number, *found + 1);
  }
  fs::path entryFolder;
  for (;; ++number) {
    entry.number = number;
    entry.name = entryName(number, entry.time);
    entryFolder = m_folder / entry.name;
#ifdef _WIN32
    if (fs::create_directory(entryFolder, ec)) break;
    if (ec) return Result::failed(Failure::AccessDenied, entryFolder, ec.message());
#else
    if (::mkdir(entryFolder.c_str(), 0700) == 0) break;
    if (errno != EEXIST) return Result::failed(Failure::AccessDenied, entryFolder);
#endif
  }
  const auto abandon = [&](Result failure) {
    fs::remove_all(entryFolder, ec);
    return failure;
  };

  std::optional<std::string_view> engine;
  std::optional<std::string_view> userOptions;
  for (const auto& [file, bytes] : copies) {
    const fs::path copy = entryFolder / file->copyName;
    if (Result written = writePrivate(copy, bytes); !written) return abandon(written);
    entry.files.push_back({file->path, copy});
    if (file->copyName == config::pathText(m_paths.engineIni.filename())) engine = bytes;
    if (file->copyName == config::pathText(m_paths.userOptionsIni.filename())) userOptions = bytes;
  }
  // The file this save leaves alone is as it was too; with both, the entry
  // is also a backup the editor's backup loading takes.
  const auto engineNow = config::readFile(m_paths.engineIni);
  const auto userNow = config::readFile(m_paths.userOptionsIni);
  if (!engine && engineNow) engine = *engineNow;
  if (!userOptions && userNow) userOptions = *userNow;
  if (engine && userOptions) {
    if (auto packed = packBackup(*engine, *userOptions)) {
      const fs::path backup = m_folder / (entry.name + std::string(kBackupExtension));
      if (writePrivate(backup, *packed)) entry.backup = backup;
    }
  }
  // The record goes last: an entry without one was cut short and is never
  // put back.
  if (Result written = writePrivate(entryFolder / kManifestName, manifestOf(entry)); !written) {
    if (!entry.backup.empty()) fs::remove(entry.backup, ec);
    return abandon(written);
  }
#ifndef _WIN32
  syncFolder(m_folder);
#endif
  markCopied();
  return {entry, Result::success(entryFolder)};
}

std::vector<SafetyCopy> SafetyCopies::entries() const {
  std::vector<SafetyCopy> found;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(m_folder, ec)) {
    const std::string name = config::pathText(item.path().filename());
    const auto number = numberOf(name);
    if (!number || !item.is_directory(ec) || item.is_symlink(ec)) continue;
    if (auto entry = readEntry(m_folder, *number, name)) found.push_back(std::move(*entry));
  }
  std::sort(found.begin(), found.end(), [](const SafetyCopy& a, const SafetyCopy& b) { return a.number < b.number; });
  return found;
}

std::vector<SafetyCopy> SafetyCopies::history() const {
  auto found = entries();
  std::reverse(found.begin(), found.end());
  return found;
}

void SafetyCopies::prune() const {
  const auto found = entries();
  if (found.size() <= kSafetyCopiesKept) return;
  const std::uint64_t oldestKept = found[found.size() - kSafetyCopiesKept].number;
  std::error_code ec;
  std::vector<fs::path> doomed;
  for (const auto& item : fs::directory_iterator(m_folder, ec)) {
    const auto number = numberOf(config::pathText(item.path().filename()));
    // Unfinished entries older than the kept ones go too; newer ones may be
    // another copy of the tool's, still being written.
    if (number && *number < oldestKept) doomed.push_back(item.path());
  }
  for (const fs::path& path : doomed) fs::remove_all(path, ec);
}

std::optional<SafetyCopy> SafetyCopies::nextUndo() const {
  // The saves not yet undone, as a stack: an undo took back the save it
  // names and, before it, every later one still on the stack.
  std::vector<SafetyCopy> stack;
  for (SafetyCopy& entry : entries()) {
    if (!entry.undoes) {
      stack.push_back(std::move(entry));
      continue;
    }
    while (!stack.empty()) {
      const bool named = stack.back().number == *entry.undoes;
      stack.pop_back();
      if (named) break;
    }
  }
  if (stack.empty()) return std::nullopt;
  return stack.back();
}

UndoOutcome SafetyCopies::undo() {
  auto target = nextUndo();
  if (!target) return {Result::failed(Failure::NotFound, m_folder, {}, config::Operation::Read), std::nullopt};

  std::vector<std::string> bytes;
  std::vector<fs::path> originals;
  for (const SafetyCopyFile& file : target->files) {
    auto copy = config::readFile(file.copy);
    if (!copy) return {copy.result(), target};
    bytes.push_back(std::move(*copy));
    originals.push_back(file.original);
  }
  auto lock = config::WriteLock::acquire(originals);
  if (!lock) return {lock.result(), target};

  // The undo is a save too: what the files hold now is kept first, and marked
  // as copied, so the replacement below makes no second entry of it.
  std::vector<Original> current;
  for (const SafetyCopyFile& file : target->files) {
    current.push_back({file.original, config::pathText(file.copy.filename())});
  }
  const auto copiedBefore = m_copied;
  auto own = writeEntry(current, target->number);
  if (!own) {
    m_copied = copiedBefore;
    return {own.result(), target};
  }
  std::vector<config::Replacement> replacements;
  for (std::size_t i = 0; i < originals.size(); ++i) replacements.push_back({originals[i], bytes[i]});
  Result result = config::replaceTogether(*lock, replacements);
  if (!result) {
    // Nothing was put back: the entry would name an undo that never happened.
    std::error_code ec;
    if (!own->name.empty()) {
      fs::remove_all(m_folder / own->name, ec);
      if (!own->backup.empty()) fs::remove(own->backup, ec);
    }
    m_copied = copiedBefore;
    return {result, target};
  }
  prune();
  return {result, target};
}

std::shared_ptr<SafetyCopies> keepSafetyCopies(const std::optional<fs::path>& stateDir, const fs::path& gameFolder,
                                               const ConfigPaths& paths) {
  auto copies = std::make_shared<SafetyCopies>(safetyCopyFolder(stateDir, gameFolder), paths);
  config::CommitSettings settings = config::commitSettings();
  // The layer below keeps the hook; the copies stay alive through it.
  settings.beforeReplace = [copies](std::span<const fs::path> targets) { return copies->beforeReplace(targets); };
  config::setCommitSettings(settings);
  return copies;
}

void stopSafetyCopies() {
  config::CommitSettings settings = config::commitSettings();
  settings.beforeReplace = nullptr;
  config::setCommitSettings(settings);
}

}  // namespace valdor::app
