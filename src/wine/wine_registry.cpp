#include "wine/wine_registry.h"

#include <algorithm>
#include <cstdint>

#include "config/text.h"

namespace valdor::wine {

namespace {

// A prefix's system.reg holds a few megabytes, some tens in one full of
// programs; a text beyond this is read as no hive at all. The reading goes
// line by line without nesting, so only the size needs a bound.
constexpr std::size_t kMaxHiveSize = 64 * 1024 * 1024;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// UTF-8 from a mix of UTF-16 code units (the escapes) and bytes that are
// UTF-8 already; a surrogate without its partner becomes U+FFFD.
class Utf8Builder {
 public:
  void unit(char16_t u) {
    if (u >= 0xDC00 && u <= 0xDFFF && m_high) {
      codePoint(0x10000 + ((static_cast<char32_t>(*m_high) - 0xD800) << 10) + (u - 0xDC00));
      m_high.reset();
      return;
    }
    flushHigh();
    if (u >= 0xD800 && u <= 0xDBFF) {
      m_high = u;
      return;
    }
    codePoint(u >= 0xDC00 && u <= 0xDFFF ? 0xFFFD : u);
  }

  void byte(char c) {
    flushHigh();
    m_out += c;
  }

  std::string finish() {
    flushHigh();
    return std::move(m_out);
  }

 private:
  void flushHigh() {
    if (m_high) codePoint(0xFFFD);
    m_high.reset();
  }

  void codePoint(char32_t cp) {
    if (cp < 0x80) {
      m_out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      m_out += static_cast<char>(0xC0 | (cp >> 6));
      m_out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      m_out += static_cast<char>(0xE0 | (cp >> 12));
      m_out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      m_out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      m_out += static_cast<char>(0xF0 | (cp >> 18));
      m_out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      m_out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      m_out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::string m_out;
  std::optional<char16_t> m_high;
};

// Escaped text read one unit at a time, up to the unescaped `close`: a byte as
// it stands, or the UTF-16 code unit an escape gives. Wine writes \xH to
// \xHHHH (as many digits as it needs), \O to \OOO, the C letters, and a
// backslash before \, the quote and the brackets.
class EscapedText {
 public:
  struct Unit {
    char16_t value;
    bool escaped;  // a code unit from an escape, else a byte of the text
  };

  EscapedText(std::string_view text, char close) : m_text(text), m_close(close) {}

  // The next unit; nullopt at `close` (then closed()) or at the text's end.
  std::optional<Unit> next() {
    if (m_pos >= m_text.size()) return std::nullopt;
    const char c = m_text[m_pos++];
    if (c == m_close) {
      m_closed = true;
      return std::nullopt;
    }
    if (c != '\\') return Unit{static_cast<char16_t>(static_cast<unsigned char>(c)), false};
    if (m_pos >= m_text.size()) return std::nullopt;
    const char e = m_text[m_pos++];
    if (e == 'x' && m_pos < m_text.size() && hexDigit(m_text[m_pos]) >= 0) {
      unsigned value = 0;
      for (int digits = 0; digits < 4 && m_pos < m_text.size() && hexDigit(m_text[m_pos]) >= 0; ++digits)
        value = value * 16 + static_cast<unsigned>(hexDigit(m_text[m_pos++]));
      return Unit{static_cast<char16_t>(value), true};
    }
    if (e >= '0' && e <= '7') {
      unsigned value = static_cast<unsigned>(e - '0');
      for (int digits = 1; digits < 3 && m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '7';
           ++digits)
        value = value * 8 + static_cast<unsigned>(m_text[m_pos++] - '0');
      return Unit{static_cast<char16_t>(value), true};
    }
    constexpr std::string_view kLetters = "abtnvfre";
    constexpr std::string_view kControls = "\a\b\t\n\v\f\r\x1b";
    const auto letter = kLetters.find(e);
    const char plain = letter == std::string_view::npos ? e : kControls[letter];
    return Unit{static_cast<char16_t>(static_cast<unsigned char>(plain)), false};
  }

  bool closed() const { return m_closed; }
  std::string_view rest() const { return m_text.substr(m_pos); }

 private:
  std::string_view m_text;
  char m_close;
  std::size_t m_pos = 0;
  bool m_closed = false;
};

// The escaped text from the start of `text` up to the unescaped `close`,
// decoded; `text` is left after `close`. nullopt when `close` never comes.
std::optional<std::string> unescape(std::string_view& text, char close) {
  EscapedText escaped(text, close);
  Utf8Builder out;
  while (auto unit = escaped.next()) {
    if (unit->escaped) {
      out.unit(unit->value);
    } else {
      out.byte(static_cast<char>(unit->value));
    }
  }
  if (!escaped.closed()) return std::nullopt;
  text = escaped.rest();
  return out.finish();
}

// Whether the escaped text up to `close` spells `ascii`, compared without
// regard to case; it stops at the first difference, so the many keys of a
// hive cost little.
bool spellsIgnoringCase(std::string_view text, char close, std::string_view ascii) {
  EscapedText escaped(text, close);
  std::size_t i = 0;
  while (auto unit = escaped.next()) {
    if (i >= ascii.size() || unit->value >= 0x80 || config::lowerAscii(static_cast<char>(unit->value)) != config::lowerAscii(ascii[i]))
      return false;
    ++i;
  }
  return escaped.closed() && i == ascii.size();
}

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// hex(1) and hex(2) data: the UTF-16LE bytes of a string, up to its first zero.
std::optional<std::string> decodeHexString(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  int high = -1;
  for (char c : text) {
    if (c == ',' || c == ' ' || c == '\t') continue;
    const int digit = hexDigit(c);
    if (digit < 0) return std::nullopt;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  Utf8Builder out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == 0) break;
    out.unit(unit);
  }
  return out.finish();
}

// The string a value line's data holds: "text", str(1):"text", str(2):"text",
// hex(1):... or hex(2):...; nullopt for numbers, binary data and lists.
std::optional<std::string> rawStringData(std::string_view data) {
  if (data.starts_with('"')) {
    data.remove_prefix(1);
    return unescape(data, '"');
  }
  const bool isStr = data.starts_with("str(");
  const bool isHex = data.starts_with("hex(");
  if (!isStr && !isHex) return std::nullopt;
  data.remove_prefix(4);
  const auto close = data.find("):");
  if (close == std::string_view::npos) return std::nullopt;
  const auto type = data.substr(0, close);
  // REG_SZ and REG_EXPAND_SZ; the variables of the latter are left as written.
  if (type != "1" && type != "2") return std::nullopt;
  data.remove_prefix(close + 2);
  if (isHex) return decodeHexString(data);
  if (!data.starts_with('"')) return std::nullopt;
  data.remove_prefix(1);
  return unescape(data, '"');
}

// A string ends at its first zero, as a program reading it sees it.
std::optional<std::string> stringData(std::string_view data) {
  auto text = rawStringData(data);
  if (text) {
    if (auto zero = text->find('\0'); zero != std::string::npos) text->resize(zero);
  }
  return text;
}

// The hive's lines with continuations joined: a line ending in an odd number
// of backslashes goes on, after its leading blanks, on the next line.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : m_text(text) {}

  bool next(std::string_view& line) {
    if (m_pos >= m_text.size()) return false;
    std::string_view physical = take();
    if (!continues(physical)) {
      line = physical;
      return true;
    }
    m_joined.assign(physical.substr(0, physical.size() - 1));
    while (m_pos < m_text.size()) {
      std::string_view more = take();
      more.remove_prefix(std::min(more.find_first_not_of(" \t"), more.size()));
      if (!continues(more)) {
        m_joined.append(more);
        break;
      }
      m_joined.append(more.substr(0, more.size() - 1));
    }
    line = m_joined;
    return true;
  }

 private:
  std::string_view take() {
    auto end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos) end = m_text.size();
    std::string_view line = m_text.substr(m_pos, end - m_pos);
    m_pos = end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
  }

  static bool continues(std::string_view line) {
    std::size_t backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == '\\') ++backslashes;
    return backslashes % 2 == 1;
  }

  std::string_view m_text;
  std::size_t m_pos = 0;
  std::string m_joined;
};

}  // namespace

std::vector<std::optional<std::string>> readRegistryStrings(std::string_view hive,
                                                            std::span<const RegistryValueName> wanted) {
  std::vector<std::optional<std::string>> found(wanted.size());
  if (hive.size() > kMaxHiveSize) return found;
  std::vector<bool> settled(wanted.size(), false);
  std::size_t open = wanted.size();
  std::vector<std::size_t> inKey;  // the wanted entries of the current key

  LineReader lines(hive);
  std::string_view line;
  while (open > 0 && lines.next(line)) {
    if (line.starts_with('[')) {
      inKey.clear();
      const std::string_view escapedKey = line.substr(1);
      for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (settled[i]) continue;
        bool same = false;
        if (isAscii(wanted[i].key)) {
          same = spellsIgnoringCase(escapedKey, ']', wanted[i].key);
        } else {
          std::string_view rest = escapedKey;
          const auto key = unescape(rest, ']');
          same = key && config::equalsIgnoreCase(*key, wanted[i].key);
        }
        if (same) inKey.push_back(i);
      }
      continue;
    }
    if (inKey.empty()) continue;

    std::optional<std::string> name;
    std::string_view rest = line;
    if (rest.starts_with('@')) {
      name = std::string();
      rest.remove_prefix(1);
    } else if (rest.starts_with('"')) {
      rest.remove_prefix(1);
      name = unescape(rest, '"');
    }
    if (!name || !rest.starts_with('=')) continue;
    rest.remove_prefix(1);
    for (auto i : inKey) {
      const std::string_view wantedName = wanted[i].name == "@" ? std::string_view() : wanted[i].name;
      if (settled[i] || !config::equalsIgnoreCase(*name, wantedName)) continue;
      // The first value of that name counts, even when it is no string.
      found[i] = stringData(rest);
      settled[i] = true;
      --open;
    }
  }
  return found;
}

}  // namespace valdor::wine
