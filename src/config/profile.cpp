#include "config/profile.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "config/commit.h"
#include "config/encoding.h"
#include "config/numbers.h"
#include "config/text.h"

namespace valdor::config {

namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && isProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

// One line of the file: its text without the line end, and where it sits.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;      // end of the text
  std::size_t next = 0;     // after the line end
  enum class Kind { Blank, Section, Key, Other } kind = Kind::Other;
  std::string_view name;    // section or key name, trimmed
  std::string_view value;   // key value, trimmed, quotes still on

  bool hasLineEnd() const { return next > end; }
};

// CR LF, LF and CR all end a line, the way the game's files may come.
Line lineAt(std::string_view content, std::size_t begin) {
  Line line;
  line.begin = begin;
  // Two searches of the library's own speed rather than a loop over every
  // byte: the next LF, and a CR before it (a lone CR ends a line too).
  const char* const from = content.data() + begin;
  const std::size_t rest = content.size() - begin;
  const void* lf = std::memchr(from, '\n', rest);
  const std::size_t toLf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) : rest;
  const void* cr = std::memchr(from, '\r', toLf);
  const std::size_t end = begin + (cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - from) : toLf);
  line.end = end;
  line.next = end;
  if (end < content.size()) {
    line.next = end + 1;
    if (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n') line.next = end + 2;
  }
  return line;
}

// What a line is: a section header needs a "]" on the same line; a line
// whose first non-blank is ";" is a comment; a key needs an "=".
void classify(std::string_view content, Line& line) {
  std::string_view text = trim(content.substr(line.begin, line.end - line.begin));
  if (text.empty()) {
    line.kind = Line::Kind::Blank;
  } else if (text.front() == '[') {
    // The name runs to the last "]" of the line, so "[a]b]" is section "a]b".
    std::size_t close = text.rfind(']');
    if (close != std::string_view::npos) {
      line.kind = Line::Kind::Section;
      line.name = trim(text.substr(1, close - 1));
    }
  } else if (text.front() != ';') {
    std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
      line.kind = Line::Kind::Key;
      line.name = trim(text.substr(0, equals));
      line.value = trim(text.substr(equals + 1));
    }
  }
}

// Reading and writing look only at lines that can matter: section headers are
// found by jumping from one "[" to the next, and only the wanted section's
// lines are read one by one. The first header at or after `from`.
std::optional<Line> nextSectionHeader(std::string_view content, std::size_t from) {
  for (std::size_t pos = content.find('[', from); pos != std::string_view::npos; pos = content.find('[', pos + 1)) {
    std::size_t start = pos;
    while (start > 0 && isProfileBlank(content[start - 1])) --start;
    if (start > 0 && content[start - 1] != '\n' && content[start - 1] != '\r') continue;
    Line line = lineAt(content, start);
    classify(content, line);
    if (line.kind == Line::Kind::Section) return line;
    pos = line.end;
    if (pos >= content.size()) break;
  }
  return std::nullopt;
}

std::optional<Line> findSectionHeader(std::string_view content, std::string_view section) {
  const std::string_view wanted = trim(section);
  for (auto line = nextSectionHeader(content, 0); line; line = nextSectionHeader(content, line->end)) {
    if (equalsIgnoreCase(line->name, wanted)) return line;
  }
  return std::nullopt;
}

// The lines of one section that a read or a write needs.
struct SectionScan {
  Line header;
  std::optional<Line> key;  // the first line of the wanted key
  Line lastNonBlank;        // where a new key goes
};

std::optional<SectionScan> scanSection(std::string_view content, std::string_view section, std::string_view key,
                                       bool stopAtKey) {
  auto header = findSectionHeader(content, section);
  if (!header) return std::nullopt;
  const std::string_view wanted = trim(key);
  SectionScan scan{*header, std::nullopt, *header};
  for (std::size_t pos = header->next; pos < content.size();) {
    Line line = lineAt(content, pos);
    classify(content, line);
    if (line.kind == Line::Kind::Section) break;
    if (line.kind != Line::Kind::Blank) scan.lastNonBlank = line;
    if (!scan.key && line.kind == Line::Kind::Key && equalsIgnoreCase(line.name, wanted)) {
      scan.key = line;
      if (stopAtKey) break;
    }
    pos = line.next;
  }
  return scan;
}

std::string_view unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string cut(std::string_view text, std::size_t capacity) {
  if (capacity == 0) return {};
  return std::string(text.substr(0, capacity - 1));
}

// The file's own line end: the first one in it, CR LF for a file without any.
std::string_view lineEndOf(std::string_view content) {
  const std::size_t end = content.find_first_of("\r\n");
  if (end == std::string_view::npos) return "\r\n";
  if (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n') return content.substr(end, 2);
  return content.substr(end, 1);
}

bool hasAny(std::string_view text, std::string_view characters) {
  return text.find_first_of(characters) != std::string_view::npos;
}

// The platform compares names in Unicode, so "Ā=1" is no key "A" even though
// its value would read "Ā" as "A": names take the characters that have no
// byte as zero bytes, which no name asked for contains, and only values the
// nearest match.
std::string profileTextOf(std::string_view bytes) {
  if (textEncodingOf(bytes) == TextEncoding::Ansi) return std::string(bytes);
  std::string text = decodeProfileText(bytes, Unmapped::Nul);
  const std::string nearest = decodeProfileText(bytes);
  for (std::size_t pos = 0; pos < text.size();) {
    Line line = lineAt(text, pos);
    classify(text, line);
    if (line.kind == Line::Kind::Key) {
      const std::size_t equals = text.find('=', line.begin);
      text.replace(equals, line.end - equals, nearest, equals, line.end - equals);
    }
    pos = line.next;
  }
  return text;
}

}  // namespace

std::optional<std::string> findProfileValue(std::string_view content, std::string_view section, std::string_view key) {
  auto scan = scanSection(content, section, key, true);
  if (!scan || !scan->key) return std::nullopt;
  return std::string(unquote(scan->key->value));
}

ProfileLookup::ProfileLookup(std::string_view content) : m_content(content) {
  // Only the first section of a name counts, as for a search of one key.
  for (auto line = nextSectionHeader(content, 0); line; line = nextSectionHeader(content, line->end)) {
    if (std::none_of(m_sections.begin(), m_sections.end(),
                     [&](const Section& seen) { return equalsIgnoreCase(seen.name, line->name); })) {
      m_sections.push_back({line->name, line->next, false, {}});
    }
  }
}

std::optional<ProfileLookup::KeyLine> ProfileLookup::keyLine(std::string_view section, std::string_view key) const {
  section = trim(section);
  key = trim(key);
  const auto found = std::find_if(m_sections.begin(), m_sections.end(),
                                  [&](const Section& candidate) { return equalsIgnoreCase(candidate.name, section); });
  if (found == m_sections.end()) return std::nullopt;
  if (!found->read) {
    for (std::size_t pos = found->body; pos < m_content.size();) {
      Line line = lineAt(m_content, pos);
      classify(m_content, line);
      if (line.kind == Line::Kind::Section) break;
      if (line.kind == Line::Kind::Key) {
        const auto nameBegin = static_cast<std::size_t>(line.name.data() - m_content.data());
        found->keys.push_back(
            {line.name, KeyLine{line.begin, nameBegin, nameBegin + line.name.size(), line.end, line.value}});
      }
      pos = line.next;
    }
    found->read = true;
  }
  // The first key of the name counts.
  for (const Key& candidate : found->keys) {
    if (equalsIgnoreCase(candidate.name, key)) return candidate.line;
  }
  return std::nullopt;
}

std::optional<std::string> ProfileLookup::find(std::string_view section, std::string_view key) const {
  const auto line = keyLine(section, key);
  if (!line) return std::nullopt;
  return std::string(unquote(line->value));
}

std::string readProfileString(std::string_view content, std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t capacity) {
  if (auto value = findProfileValue(content, section, key)) return cut(*value, capacity);
  // The platform drops trailing spaces of the default as well.
  while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
  return cut(defaultValue, capacity);
}

std::uint32_t parseProfileInt(std::string_view value) {
  std::size_t pos = 0;
  while (pos < value.size() && isProfileIntBlank(value[pos])) ++pos;
  bool negative = false;
  if (pos < value.size() && (value[pos] == '+' || value[pos] == '-')) {
    negative = value[pos] == '-';
    ++pos;
  }
  unsigned base = 10;
  if (pos + 1 < value.size() && value[pos] == '0') {
    switch (value[pos + 1]) {
      case 'x': base = 16; break;
      case 'o': base = 8; break;
      case 'b': base = 2; break;
      default: break;
    }
    if (base != 10) pos += 2;
  }
  std::uint32_t total = 0;  // wraps modulo 2^32, as the platform's conversion does
  for (; pos < value.size(); ++pos) {
    const char c = lowerAscii(value[pos]);
    unsigned digit = 99;
    if (isDecimalDigit(c)) digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'z') digit = static_cast<unsigned>(c - 'a' + 10);
    if (digit >= base) break;
    total = total * base + digit;
  }
  return negative ? 0u - total : total;
}

std::uint32_t readProfileInt(std::string_view content, std::string_view section, std::string_view key,
                             std::int32_t defaultValue) {
  // The platform converts what a 30-character read gives, so longer values are
  // cut before the conversion.
  auto value = findProfileValue(content, section, key);
  if (!value || value->empty()) return static_cast<std::uint32_t>(defaultValue);
  return parseProfileInt(cut(*value, 30));
}

bool isWritableEntry(std::string_view section, std::string_view key, std::string_view value) {
  constexpr std::string_view kLineBreaks("\r\n\0", 3);
  if (trim(section).empty() || trim(key).empty()) return false;
  if (hasAny(section, kLineBreaks) || hasAny(key, kLineBreaks) || hasAny(value, kLineBreaks)) return false;
  // Such names would read back as another section, a comment or another key.
  if (hasAny(section, "]") || hasAny(key, "=")) return false;
  const char first = trim(key).front();
  return first != '[' && first != ';';
}

namespace {

// What setting a key changes, as replacements from the last to the first, so
// each leaves the offsets of the ones after it valid. A key's line keeps its
// own spelling of the name: the name's characters are never rewritten, which
// keeps characters of a Unicode file that the game's code page lacks.
std::vector<TextSplice> profileSplices(std::string_view content, std::string_view section, std::string_view key,
                                   std::string_view value) {
  const std::string_view eol = lineEndOf(content);
  auto scan = scanSection(content, section, key, true);
  if (!scan) {
    std::string text;
    if (!content.empty() && content.back() != '\r' && content.back() != '\n') text.append(eol);
    text.append("[").append(section).append("]").append(eol);
    text.append(key).append("=").append(value).append(eol);
    return {{content.size(), content.size(), std::move(text)}};
  }
  if (scan->key) {
    const Line& line = *scan->key;
    const auto nameBegin = static_cast<std::size_t>(line.name.data() - content.data());
    const std::size_t nameEnd = nameBegin + line.name.size();
    return {{nameEnd, line.end, "=" + std::string(value)}, {line.begin, nameBegin, {}}};
  }
  const Line& after = scan->lastNonBlank;
  std::string text;
  if (!after.hasLineEnd()) text.append(eol);
  text.append(key).append("=").append(value).append(eol);
  return {{after.next, after.next, std::move(text)}};
}

}  // namespace

std::string setProfileValue(std::string_view content, std::string_view section, std::string_view key,
                            std::string_view value) {
  std::string result(content);
  for (const TextSplice& splice : profileSplices(content, section, key, value)) {
    result.replace(splice.begin, splice.end - splice.begin, splice.text);
  }
  return result;
}

ResultOr<std::string> readProfileText(const std::filesystem::path& file) {
  auto bytes = readFile(file);
  // Windows-1252 text is looked up as read: every key read would otherwise
  // copy the whole file once more.
  if (!bytes || textEncodingOf(*bytes) == TextEncoding::Ansi) return bytes;
  return {profileTextOf(*bytes), bytes.result()};
}

std::string getProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t capacity) {
  auto content = readProfileText(file);
  return readProfileString(content ? std::string_view(*content) : std::string_view(), section, key, defaultValue,
                           capacity);
}

std::uint32_t getProfileInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                            std::int32_t defaultValue) {
  auto content = readProfileText(file);
  return readProfileInt(content ? std::string_view(*content) : std::string_view(), section, key, defaultValue);
}

Result writeProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                              std::string_view value) {
  ProfileEdit edit(file);
  edit.set(section, key, value);
  return edit.save();
}

ProfileEdit::ProfileEdit(std::filesystem::path file) : m_file(std::move(file)), m_error(Result::success(m_file)) {}

void ProfileEdit::load() {
  m_content.clear();
  m_bytes.clear();
  m_encoding = TextEncoding::Ansi;
  m_changed = false;
  m_error = Result::success(m_file);
  auto content = readFile(m_file);
  if (content) {
    m_bytes = std::move(*content);
    m_encoding = textEncodingOf(m_bytes);
    m_content = profileTextOf(m_bytes);
    // Rewriting a file in an encoding the game cannot read back as it was
    // would lose what is in it.
    if (m_encoding == TextEncoding::Utf16Be || m_encoding == TextEncoding::Unsupported) {
      m_error = Result::failed(Failure::UnsupportedEncoding, m_file);
    }
  } else if (content.result().failure != Failure::NotFound) {
    // Editing a file that cannot be read would throw away what is in it. The
    // player is told that the file could not be saved.
    m_error = content.result();
    m_error.operation = Operation::Write;
  }
  m_error.where = pathText(m_file);
  if (m_error.ok() && m_unchanged && !m_unchanged(m_content)) {
    m_error = Result::failed(Failure::ChangedOutside, m_file, "changed by another program since it was read");
  }
  if (!m_error.ok()) return;
  applyEntries();
}

void ProfileEdit::applyEntries() {
  // A key that is there only has its line rewritten, which moves no other
  // line of the text: such keys are found through one lookup of the text as
  // read and rewritten together. A key or section that has to be added moves
  // what follows, so it is set on its own, on the text as it is by then.
  std::optional<ProfileLookup> lookup;
  struct Rewrite {
    ProfileLookup::KeyLine line;
    std::string value;
  };
  std::map<std::size_t, Rewrite> rewrites;  // by the line's start
  const auto rewriteLines = [&] {
    std::vector<TextSplice> splices;
    for (auto it = rewrites.rbegin(); it != rewrites.rend(); ++it) {
      const ProfileLookup::KeyLine& line = it->second.line;
      // The name keeps its own spelling; blanks before it go, as when one key is set.
      splices.push_back({line.nameEnd, line.end, "=" + it->second.value});
      splices.push_back({line.begin, line.nameBegin, {}});
    }
    applySplices(splices);
    rewrites.clear();
    lookup.reset();
  };
  for (const Entry& entry : m_entries) {
    if (!lookup) lookup.emplace(m_content);
    const auto line = lookup->keyLine(entry.section, entry.key);
    if (!line) {
      rewriteLines();
      apply(entry);
      continue;
    }
    const auto rewritten = rewrites.find(line->begin);
    if (entry.keepsStored) {
      // What the line holds by now: as read, or as an earlier key of this save set it.
      const std::string_view stored = rewritten == rewrites.end()
                                          ? unquote(line->value)
                                          : unquote(trim(rewritten->second.value));
      if (entry.keepsStored(stored)) continue;
    }
    rewrites.insert_or_assign(line->begin, Rewrite{*line, entry.value});
  }
  rewriteLines();
}

void ProfileEdit::set(std::string_view section, std::string_view key, std::string_view value) {
  if (!m_error.ok()) return;
  if (!isWritableEntry(section, key, value)) {
    m_error = Result::failed(Failure::InvalidName, m_file);
    return;
  }
  m_entries.push_back({std::string(section), std::string(key), std::string(value), {}});
}

void ProfileEdit::setUnlessStored(std::string_view section, std::string_view key, std::string_view value,
                                  std::function<bool(std::string_view stored)> keepsStored) {
  set(section, key, value);
  if (m_error.ok()) m_entries.back().keepsStored = std::move(keepsStored);
}

void ProfileEdit::requireStored(std::function<bool(std::string_view content)> unchanged) {
  m_unchanged = std::move(unchanged);
}

void ProfileEdit::apply(const Entry& entry) {
  if (entry.keepsStored) {
    const auto stored = findProfileValue(m_content, entry.section, entry.key);
    if (stored && entry.keepsStored(*stored)) return;
  }
  applySplices(profileSplices(m_content, entry.section, entry.key, entry.value));
}

void ProfileEdit::applySplices(const std::vector<TextSplice>& splices) {
  // The same replacements go into the text and into the file's own bytes, so
  // every line not set keeps its bytes whatever the file's encoding.
  for (const TextSplice& splice : splices) {
    const std::size_t begin = fileOffsetOf(m_encoding, splice.begin);
    const std::size_t end = fileOffsetOf(m_encoding, splice.end);
    std::string encoded = encodeProfileText(m_encoding, splice.text);
    if (m_bytes.compare(begin, end - begin, encoded) != 0) m_changed = true;
    m_bytes.replace(begin, end - begin, encoded);
    m_content.replace(splice.begin, splice.end - splice.begin, splice.text);
  }
}

Result ProfileEdit::save() { return saveTogether({this}); }

Result saveTogether(std::initializer_list<ProfileEdit*> edits) {
  std::vector<std::filesystem::path> files;
  for (ProfileEdit* edit : edits) {
    if (!edit->error().ok()) return edit->error();
    files.push_back(edit->file());
  }
  // What was read before the lock may be stale by now: another copy of the
  // tool may have saved in between. Read again under the lock and set the
  // keys again on that, so neither save loses the other's keys.
  auto lock = WriteLock::acquire(files);
  if (!lock) return lock.result();
  std::vector<Replacement> changed;
  for (ProfileEdit* edit : edits) {
    edit->load();
    if (!edit->error().ok()) return edit->error();
    if (edit->changed()) changed.push_back({edit->file(), edit->bytes()});
  }
  if (Result result = replaceTogether(*lock, changed); !result) return result;
  for (ProfileEdit* edit : edits) {
    edit->m_changed = false;
    edit->m_entries.clear();
  }
  return Result::success(edits.size() ? (*edits.begin())->file() : std::filesystem::path());
}

}  // namespace valdor::config
