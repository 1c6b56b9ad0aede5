#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "config/encoding.h"
#include "config/profile.h"
#include "support/temp_dir.h"

// Replays INI cases recorded with the platform's own profile functions through
// our layer and compares every result line. A case is a script of operations on
// one file; its expected output is what the platform printed for it.
namespace valdor::config {
namespace {

namespace fs = std::filesystem;

const fs::path& caseRoot() {
  static const fs::path root = fs::path(VALDOR_TEST_DATA_DIR) / "profile_cases";
  return root;
}

std::vector<std::string> readLines(const fs::path& file) {
  const std::string bytes = test::readBytes(file);
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  return lines;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The case escapes: \\ \| \r \n \t \s (space) \xHH.
std::string unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    switch (c) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 's': out += ' '; break;
      case 'x': {
        const int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0) throw std::runtime_error("bad \\x escape");
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: out += c; break;  // \\ and \|
    }
  }
  return out;
}

// Splits on unescaped "|"; a field that is exactly \N stands for a null pointer.
std::vector<std::optional<std::string>> splitFields(std::string_view arg) {
  std::vector<std::optional<std::string>> fields;
  std::size_t start = 0;
  for (std::size_t i = 0;; ++i) {
    if (i < arg.size() && arg[i] == '\\' && i + 1 < arg.size()) {
      ++i;
      continue;
    }
    if (i == arg.size() || arg[i] == '|') {
      const std::string_view field = arg.substr(start, i - start);
      if (field == "\\N") fields.emplace_back(std::nullopt);
      else fields.emplace_back(unescape(field));
      if (i == arg.size()) break;
      start = i + 1;
    }
  }
  return fields;
}

std::string escapeForOutput(std::string_view bytes) {
  std::string out;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c >= 0x20 && c < 0x7f) out += ch;
    else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

std::vector<std::string> dumpLines(const std::optional<std::string>& file) {
  if (!file) return {"dump => nofile"};
  std::vector<std::string> lines{"dump => size=" + std::to_string(file->size())};
  for (std::size_t i = 0; i < file->size(); i += 32) {
    std::string line = "  hex ";
    for (std::size_t j = i; j < std::min(i + 32, file->size()); ++j) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>((*file)[j]));
      line += hex;
    }
    lines.push_back(line);
  }
  for (std::size_t i = 0; i < file->size();) {
    std::size_t end = file->find('\n', i);
    end = end == std::string::npos ? file->size() : end + 1;
    lines.push_back("  txt \"" + escapeForOutput(std::string_view(*file).substr(i, end - i)) + "\"");
    i = end;
  }
  return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// "[S]\r\nk=v\r\n" and nothing else: the platform rewrites any other file as a
// whole on a write, so only such files give file bytes to compare with.
bool isPlainLayout(std::string_view content) {
  while (!content.empty()) {
    const std::size_t end = content.find("\r\n");
    if (end == std::string_view::npos) return false;
    const std::string_view line = content.substr(0, end);
    content.remove_prefix(end + 2);
    if (line.empty() || line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
    if (isBlank(line.front()) || isBlank(line.back()) || line.front() == ';' || line.front() == '#') return false;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3 || isBlank(line[1]) || isBlank(line[line.size() - 2])) return false;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0 || isBlank(line[equals - 1])) return false;
    if (equals + 1 < line.size() && isBlank(line[equals + 1])) return false;
  }
  return true;
}

struct CaseOutcome {
  std::vector<std::string> lines;
  bool dumpComparable = true;
};

// Runs a case through our layer and prints what the platform would print.
class CaseRunner {
 public:
  CaseOutcome run(const std::vector<std::string>& script) {
    CaseOutcome outcome;
    std::string trust;
    for (const std::string& raw : script) {
      if (raw.empty() || raw.front() == '#') continue;
      if (raw.front() == '@') {
        if (raw.rfind("@trust ", 0) == 0) trust = raw.substr(7, raw.find(' ', 7) - 7);
        continue;
      }
      const std::size_t space = raw.find(' ');
      const std::string command = raw.substr(0, space);
      const std::string arg = space == std::string::npos ? std::string() : raw.substr(space + 1);
      if (command == "file") {
        appendHex(arg);
        continue;
      }
      if (command == "text") {
        m_pending += unescape(arg);
        m_contentPending = true;
        continue;
      }
      materialise(outcome);
      if (command == "dump") {
        const std::vector<std::string> dump = dumpLines(currentFile());
        outcome.lines.insert(outcome.lines.end(), dump.begin(), dump.end());
        continue;
      }
      outcome.lines.push_back(execute(command, arg));
    }
    materialise(outcome);
    outcome.dumpComparable = m_plainFiles && (trust == "trusted" || trust == "likely");
    return outcome;
  }

 private:
  void appendHex(std::string_view hex) {
    for (std::size_t i = 0; i < hex.size();) {
      if (isBlank(hex[i])) {
        ++i;
        continue;
      }
      const int high = hexDigit(hex[i]);
      const int low = i + 1 < hex.size() ? hexDigit(hex[i + 1]) : -1;
      if (high < 0 || low < 0) throw std::runtime_error("bad hex in file line");
      m_pending += static_cast<char>(high * 16 + low);
      i += 2;
    }
    m_contentPending = true;
  }

  void materialise(CaseOutcome& outcome) {
    if (!m_contentPending) return;
    // Like the platform's file creation, a missing folder is not created.
    if (fs::is_directory(m_file.parent_path())) {
      test::writeBytes(m_file, m_pending);
      outcome.lines.push_back("file => created " + std::to_string(m_pending.size()) + " bytes");
    } else {
      outcome.lines.push_back("file => FAILED to create (missing folder)");
    }
    // A Unicode file's layout is that of its text; its bytes are as comparable.
    const bool unicode = textEncodingOf(m_pending) == TextEncoding::Utf16Le;
    m_plainFiles = m_plainFiles && isPlainLayout(unicode ? decodeProfileText(m_pending) : m_pending);
    m_pending.clear();
    m_contentPending = false;
  }

  std::optional<std::string> currentFile() const {
    if (!fs::is_regular_file(m_file)) return std::nullopt;
    return test::readBytes(m_file);
  }

  std::string execute(const std::string& command, const std::string& arg) {
    const std::string echo = command + (arg.empty() ? "" : " " + arg);
    if (command == "path") {
      // Cases name sub-folders the Windows way.
      std::string name = unescape(arg);
      std::replace(name.begin(), name.end(), '\\', '/');
      m_file = m_dir.path() / name;
      return echo + " => ok";
    }
    if (command == "nofile") {
      fs::remove(m_file);
      return echo + " => ok";
    }
    if (command == "flush") return echo + " => done";

    const auto fields = splitFields(arg);
    if (command == "getstr") {
      if (fields.size() != 4 || !fields[3]) throw std::runtime_error("getstr needs S|K|D|N");
      if (!fields[0] || !fields[1]) return echo + " => enumeration is not supported by our layer";
      const std::size_t capacity = std::strtoul(fields[3]->c_str(), nullptr, 10);
      const std::string value =
          getProfileString(m_file, *fields[0], *fields[1], fields[2].value_or(std::string()), capacity);
      std::string line = echo + " => ret=" + std::to_string(value.size()) + " str=\"" + escapeForOutput(value) + "\"";
      if (capacity == 0) line += " buf=untouched";
      else if (value.size() >= capacity) line += " noterm";
      return line;
    }
    if (command == "getint") {
      if (fields.size() != 3 || !fields[0] || !fields[1] || !fields[2])
        throw std::runtime_error("getint needs S|K|D");
      const auto defaultValue = static_cast<std::int32_t>(std::strtol(fields[2]->c_str(), nullptr, 10));
      const std::uint32_t value = getProfileInt(m_file, *fields[0], *fields[1], defaultValue);
      return echo + " => ret=" + std::to_string(static_cast<std::int32_t>(value)) + " u=" + std::to_string(value);
    }
    if (command == "write") {
      if (fields.size() != 3) throw std::runtime_error("write needs S|K|V");
      if (!fields[0] || !fields[1] || !fields[2]) return echo + " => deleting is not supported by our layer";
      const Result result = writeProfileString(m_file, *fields[0], *fields[1], *fields[2]);
      return echo + " => ret=" + (result.ok() ? "1" : "0");
    }
    throw std::runtime_error("unknown command " + command);
  }

  test::TempDir m_dir;
  fs::path m_file = m_dir.path() / "test.ini";
  std::string m_pending;
  bool m_contentPending = false;
  bool m_plainFiles = true;
};

std::vector<std::string> withoutComments(std::vector<std::string> lines) {
  std::erase_if(lines, [](const std::string& line) { return line.empty() || line.front() == '#'; });
  return lines;
}

// Drops the "  hex"/"  txt" lines that follow each "dump" line, keeping the
// dump line itself: whether a file exists is still comparable.
std::vector<std::string> withoutDumpBytes(std::vector<std::string> lines) {
  std::erase_if(lines, [](const std::string& line) { return line.rfind("  ", 0) == 0; });
  for (std::string& line : lines) {
    if (line.rfind("dump => size=", 0) == 0) line = "dump => (file present)";
  }
  return lines;
}

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(caseRoot() / "cases", ec)) {
    if (entry.path().extension() == ".case") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class OracleConformance : public testing::TestWithParam<std::string> {};

TEST_P(OracleConformance, MatchesPlatformResults) {
  const std::string& name = GetParam();
  const std::vector<std::string> script = readLines(caseRoot() / "cases" / (name + ".case"));
  std::vector<std::string> expected = withoutComments(readLines(caseRoot() / "expected" / (name + ".out")));

  CaseOutcome outcome = CaseRunner().run(script);
  std::vector<std::string> actual = withoutComments(std::move(outcome.lines));
  if (!outcome.dumpComparable) {
    expected = withoutDumpBytes(std::move(expected));
    actual = withoutDumpBytes(std::move(actual));
  }

  for (std::size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
    EXPECT_EQ(i < expected.size() ? expected[i] : "(no line)", i < actual.size() ? actual[i] : "(no line)")
        << "case " << name << ", output line " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, OracleConformance, testing::ValuesIn(caseNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                           return name;
                         });

// Without it a clone that lost the data would pass with no cases at all.
TEST(OracleConformanceData, CasesAndOutputsArePresent) {
  const std::vector<std::string> names = caseNames();
  EXPECT_GE(names.size(), 50u);
  for (const std::string& name : names) {
    EXPECT_TRUE(fs::is_regular_file(caseRoot() / "expected" / (name + ".out"))) << name;
  }
}

}  // namespace
}  // namespace valdor::config
