#include "config/profile.h"

#include <vector>

#include "config/value_words.h"

namespace valdor::config {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
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
std::vector<Line> splitLines(std::string_view content) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    Line line;
    line.begin = pos;
    std::size_t end = content.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = content.size();
    line.end = end;
    line.next = end;
    if (end < content.size()) {
      line.next = end + 1;
      if (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n') line.next = end + 2;
    }
    std::string_view text = trim(content.substr(line.begin, line.end - line.begin));
    if (text.empty()) {
      line.kind = Line::Kind::Blank;
    } else if (text.front() == '[') {
      std::size_t close = text.find(']');
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
    lines.push_back(line);
    pos = line.next;
  }
  return lines;
}

// Where a section's lines are: the header's index and one past its last line.
struct SectionRange {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionRange> findSection(const std::vector<Line>& lines, std::string_view section) {
  const std::string_view wanted = trim(section);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != Line::Kind::Section || !equalsIgnoreCase(lines[i].name, wanted)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && lines[end].kind != Line::Kind::Section) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, SectionRange range, std::string_view key) {
  const std::string_view wanted = trim(key);
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    if (lines[i].kind == Line::Kind::Key && equalsIgnoreCase(lines[i].name, wanted)) return i;
  }
  return std::nullopt;
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

std::string_view lineEndOf(std::string_view content, const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (line.hasLineEnd()) return content.substr(line.end, line.next - line.end);
  }
  return "\r\n";
}

bool hasAny(std::string_view text, std::string_view characters) {
  return text.find_first_of(characters) != std::string_view::npos;
}

}  // namespace

std::optional<std::string> findProfileValue(std::string_view content, std::string_view section, std::string_view key) {
  const std::vector<Line> lines = splitLines(content);
  auto range = findSection(lines, section);
  if (!range) return std::nullopt;
  auto index = findKey(lines, *range, key);
  if (!index) return std::nullopt;
  return std::string(unquote(lines[*index].value));
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
  while (pos < value.size() && static_cast<unsigned char>(value[pos]) <= ' ') ++pos;
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
    const char c = value[pos];
    unsigned digit = 99;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'z') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'Z') digit = static_cast<unsigned>(c - 'A' + 10);
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

std::string setProfileValue(std::string_view content, std::string_view section, std::string_view key,
                            std::string_view value) {
  const std::vector<Line> lines = splitLines(content);
  const std::string_view eol = lineEndOf(content, lines);
  std::string result;
  result.reserve(content.size() + section.size() + key.size() + value.size() + 8);

  auto range = findSection(lines, section);
  if (!range) {
    result.append(content);
    if (!lines.empty() && !lines.back().hasLineEnd()) result.append(eol);
    result.append("[").append(section).append("]").append(eol);
    result.append(key).append("=").append(value).append(eol);
    return result;
  }

  if (auto index = findKey(lines, *range, key)) {
    // Only this line changes: the file's own spelling of the key, the new
    // value, and the line's own line end.
    const Line& line = lines[*index];
    result.append(content.substr(0, line.begin));
    result.append(line.name).append("=").append(value);
    result.append(content.substr(line.end));
    return result;
  }

  std::size_t last = range->header;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    if (lines[i].kind != Line::Kind::Blank) last = i;
  }
  const Line& after = lines[last];
  result.append(content.substr(0, after.next));
  if (!after.hasLineEnd()) result.append(eol);
  result.append(key).append("=").append(value).append(eol);
  result.append(content.substr(after.next));
  return result;
}

std::string getProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t capacity) {
  auto content = readFile(file);
  return readProfileString(content ? std::string_view(*content) : std::string_view(), section, key, defaultValue,
                           capacity);
}

std::uint32_t getProfileInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                            std::int32_t defaultValue) {
  auto content = readFile(file);
  return readProfileInt(content ? std::string_view(*content) : std::string_view(), section, key, defaultValue);
}

FileResult writeProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                              std::string_view value) {
  if (!isWritableEntry(section, key, value)) return {FileError::InvalidName, file, {}};
  FileResult readResult;
  auto content = readFile(file, &readResult);
  if (!content && readResult.error != FileError::NotFound) return readResult;
  const std::string current = content.value_or(std::string());
  std::string updated = setProfileValue(current, section, key, value);
  // Nothing to change: the file already says so, even when it is read-only.
  if (content && updated == current) return FileResult::success(file);
  return replaceFile(file, updated);
}

}  // namespace valdor::config
