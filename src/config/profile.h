#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/encoding.h"
#include "config/file_io.h"

// Reading and writing single keys of the game's INI files with the semantics
// of the Windows profile functions the game itself uses. Values are bytes in
// the game's code page (Windows-1252); nothing is decoded here. Nothing is
// cached: every read goes to the file.
namespace valdor::config {

// Capacities of the read buffers, terminating zero included: configuration
// values and start-up messages, and translated texts.
inline constexpr std::size_t kValueCapacity = 256;
inline constexpr std::size_t kTextCapacity = 1024;

// ---- on the bytes of a file ----

// The value of the first matching key of the first matching section, trimmed
// and unquoted; nullopt when the section or key is missing.
std::optional<std::string> findProfileValue(std::string_view content, std::string_view section,
                                            std::string_view key);

// Many keys of one text, each found as findProfileValue() finds it, without
// going through the text again for each: the sections are found once, and a
// section's keys are read once, when the first of them is asked for. The text
// must stay as it is while the lookup is used.
class ProfileLookup {
 public:
  explicit ProfileLookup(std::string_view content);

  std::optional<std::string> find(std::string_view section, std::string_view key) const;

  // Where a key's line is: the first such key of the first such section.
  struct KeyLine {
    std::size_t begin = 0;      // start of the line
    std::size_t nameBegin = 0;  // the name as spelled, without blanks around it
    std::size_t nameEnd = 0;
    std::size_t end = 0;        // end of the text, before the line end
    std::string_view value;     // trimmed, quotes still on
  };
  std::optional<KeyLine> keyLine(std::string_view section, std::string_view key) const;

 private:
  struct Key {
    std::string_view name;
    KeyLine line;
  };
  struct Section {
    std::string_view name;
    std::size_t body = 0;     // where its lines begin
    bool read = false;        // whether `keys` holds them yet
    std::vector<Key> keys;    // in the order of the text
  };

  std::string_view m_content;
  mutable std::vector<Section> m_sections;  // the first of each name, in the order of the text
};

// The value cut to capacity - 1 bytes, or the default (trailing spaces dropped,
// also cut) when the key is missing.
std::string readProfileString(std::string_view content, std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t capacity = kValueCapacity);

// The 32 bits of the integer read: optional sign, "0x"/"0o"/"0b" prefixes,
// digits up to the first other character, wrapping modulo 2^32. A missing or
// empty value gives the default. Callers cast to int32_t where it is signed.
std::uint32_t readProfileInt(std::string_view content, std::string_view section, std::string_view key,
                             std::int32_t defaultValue);

// The conversion behind readProfileInt, on a value already read.
std::uint32_t parseProfileInt(std::string_view value);

// The file's bytes after setting the key: only the key's line changes, a new
// key goes after the last non-blank line of its section, a new section is
// appended; new lines use the file's own line end (CRLF in an empty file).
std::string setProfileValue(std::string_view content, std::string_view section, std::string_view key,
                            std::string_view value);

// Whether a section, key and value can be written without changing the
// meaning of other lines (no line breaks, no "=" in a key, no "]" in a section).
bool isWritableEntry(std::string_view section, std::string_view key, std::string_view value);

// ---- on files ----

// The file's text as the profile functions see it: a Unicode file comes back
// in the game's code page, a file in an encoding the platform cannot read as
// nothing.
ResultOr<std::string> readProfileText(const std::filesystem::path& file);

std::string getProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue = {}, std::size_t capacity = kValueCapacity);

std::uint32_t getProfileInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                            std::int32_t defaultValue);

// Sets one key and replaces the file atomically. A missing file is created, a
// missing folder or a read-only file fails; the result says why.
Result writeProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                              std::string_view value);

// One replacement of a stretch of a text by new text.
struct TextSplice {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string text;
};

// Several keys of one file set in memory and written with one atomic
// replacement: the same bytes as writing them one by one, but a save of many
// keys either lands whole or not at all, and costs one disk flush.
class ProfileEdit {
 public:
  // Reads nothing yet: save() reads the file under the write lock, so every
  // save reads each file once. A missing file starts empty and is created by
  // save(). A Unicode (UTF-16LE) file is edited and saved as Unicode; other
  // byte-order marks are refused.
  explicit ProfileEdit(std::filesystem::path file);

  void set(std::string_view section, std::string_view key, std::string_view value);

  // As set(), unless the value the file holds when save() reads it passes
  // keepsStored: a stored text that already says what value would say, in
  // other words, stays as it is. Decided under the write lock, on what the
  // file holds then.
  void setUnlessStored(std::string_view section, std::string_view key, std::string_view value,
                       std::function<bool(std::string_view stored)> keepsStored);

  // A condition on what the file holds when save() reads it under the write
  // lock, checked before any key is set: when it is not met, no file of the
  // save is written and the save fails with Failure::ChangedOutside.
  void requireStored(std::function<bool(std::string_view content)> unchanged);

  // Reads the file under the write lock, sets the keys on what it holds then
  // (so a key another copy of the tool saved meanwhile is kept) and writes
  // when anything changed; the first failure of set() or of reading is
  // reported here, and then nothing is written.
  Result save();

  const std::filesystem::path& file() const { return m_file; }
  const std::string& content() const { return m_content; }  // in the game's code page
  const std::string& bytes() const { return m_bytes; }       // as the file will hold them
  bool changed() const { return m_changed; }
  const Result& error() const { return m_error; }

 private:
  friend Result saveTogether(std::initializer_list<ProfileEdit*> edits);

  struct Entry {
    std::string section, key, value;
    std::function<bool(std::string_view stored)> keepsStored;  // empty: always set
  };

  // Reads the file and applies every key set so far.
  void load();
  // Every key set so far, on the text as read.
  void applyEntries();
  // One key set on the text and on the bytes.
  void apply(const Entry& entry);
  // Replacements of the text, from the last to the first, made in the text
  // and in the bytes alike.
  void applySplices(const std::vector<TextSplice>& splices);

  std::filesystem::path m_file;
  std::string m_content;
  std::string m_bytes;
  TextEncoding m_encoding = TextEncoding::Ansi;
  std::vector<Entry> m_entries;
  std::function<bool(std::string_view content)> m_unchanged;  // empty: no condition
  bool m_changed = false;
  Result m_error;
};

// Saves several files as one through replaceTogether(), holding the write
// lock of their folders from reading them again to replacing them: every changed file
// is written out in full before any of them replaces its original, so a file
// that cannot be written leaves all of them as they were. A file that could
// not be read or a key that cannot be stored is reported before anything is
// written. Succeeds naming the first file.
Result saveTogether(std::initializer_list<ProfileEdit*> edits);

}  // namespace valdor::config
