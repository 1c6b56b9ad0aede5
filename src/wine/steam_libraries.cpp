#include "wine/steam_libraries.h"

#include <algorithm>
#include <optional>
#include <string>

#include "config/file_io.h"
#include "config/numbers.h"
#include "config/text.h"

namespace valdor::wine {

namespace {

// Steam writes these files with a few kilobytes and blocks three or four deep;
// anything far beyond that is no file of Steam's and is read as no file at
// all, so a hostile or broken one costs neither the stack nor the memory.
constexpr std::size_t kMaxVdfSize = 4 * 1024 * 1024;
constexpr std::size_t kMaxDepth = 64;
constexpr std::size_t kMaxLibraries = 256;

// Steam's text format of nested keys: "key" "value" or "key" { ... }, quoted
// or bare words, // comments, and platform conditions like [$WIN32] that
// follow a value.
struct Token {
  enum class Kind { Word, Open, Close } kind;
  std::string text;
};

// The tokens of a text one at a time, so a text of many tokens costs no more
// memory than one of few.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : m_text(text) {}

  // The next token without taking it; nullopt at the end of the text.
  const std::optional<Token>& peek() {
    if (!m_peeked) {
      m_next = read();
      m_peeked = true;
    }
    return m_next;
  }

  void advance() {
    peek();
    m_peeked = false;
  }

 private:
  std::optional<Token> read() {
    std::string_view text = m_text;
    std::size_t& i = m_pos;
    while (i < text.size()) {
      const char c = text[i];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++i;
      } else if (text.substr(i).starts_with("//")) {
        i = std::min(text.find('\n', i), text.size());
      } else if (c == '{' || c == '}') {
        ++i;
        return Token{c == '{' ? Token::Kind::Open : Token::Kind::Close, {}};
      } else if (c == '[') {
        i = std::min(text.find(']', i), text.size() - 1) + 1;
      } else if (c == '"') {
        std::string word;
        for (++i; i < text.size() && text[i] != '"'; ++i) {
          if (text[i] == '\\' && i + 1 < text.size()) {
            const char e = text[++i];
            word += e == 'n' ? '\n' : e == 't' ? '\t' : e;
          } else {
            word += text[i];
          }
        }
        ++i;
        return Token{Token::Kind::Word, std::move(word)};
      } else {
        const auto end = std::min(text.find_first_of(" \t\r\n{}\"", i), text.size());
        Token word{Token::Kind::Word, std::string(text.substr(i, end - i))};
        i = end;
        return word;
      }
    }
    return std::nullopt;
  }

  std::string_view m_text;
  std::size_t m_pos = 0;
  std::optional<Token> m_next;
  bool m_peeked = false;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : m_tokens(text) {}

  std::optional<std::string> value(std::string_view wanted) {
    if (!word() || !open()) return std::nullopt;
    while (auto key = word()) {
      if (open()) {
        pathOfBlock();
        if (m_broken) return std::nullopt;
      } else if (auto value = word()) {
        if (config::equalsIgnoreCase(*key, wanted)) return value;
      } else {
        break;
      }
    }
    return std::nullopt;
  }

  std::vector<std::filesystem::path> libraries() {
    // "libraryfolders" { ... }
    if (!word() || !open()) return {};
    std::vector<std::filesystem::path> found;
    while (auto key = word()) {
      if (open()) {
        auto path = pathOfBlock();
        if (m_broken) return {};
        if (path && !path->empty() && config::isDigits(*key)) found.emplace_back(*path);
      } else if (auto value = word()) {
        if (!value->empty() && config::isDigits(*key)) found.emplace_back(*value);
      } else {
        break;
      }
      if (found.size() > kMaxLibraries) return {};
    }
    return found;
  }

 private:
  std::optional<std::string> word() {
    const auto& next = m_tokens.peek();
    if (!next || next->kind != Token::Kind::Word) return std::nullopt;
    std::string text = next->text;
    m_tokens.advance();
    return text;
  }

  bool open() { return take(Token::Kind::Open); }
  bool take(Token::Kind kind) {
    const auto& next = m_tokens.peek();
    if (!next || next->kind != kind) return false;
    m_tokens.advance();
    return true;
  }

  // The "path" of the block just opened, read to its end with the blocks
  // inside it. Those are skipped by counting braces rather than by recursion,
  // so no nesting can exhaust the stack; one nested beyond kMaxDepth makes
  // the whole text unreadable.
  std::optional<std::string> pathOfBlock() {
    std::optional<std::string> path;
    while (auto key = word()) {
      if (open()) {
        if (!skipBlock()) return std::nullopt;
      } else if (auto value = word()) {
        if (!path && config::equalsIgnoreCase(*key, "path")) path = std::move(value);
      } else {
        break;
      }
    }
    take(Token::Kind::Close);
    return path;
  }

  // Skips the rest of a block nested in the one pathOfBlock reads, the one
  // just opened; false (and the text marked broken) when it nests too deep.
  bool skipBlock() {
    std::size_t depth = 3;  // the outer block, the one read, this one
    while (depth > 2 && m_tokens.peek()) {
      const auto kind = m_tokens.peek()->kind;
      m_tokens.advance();
      if (kind == Token::Kind::Open && ++depth > kMaxDepth) {
        m_broken = true;
        return false;
      }
      if (kind == Token::Kind::Close) --depth;
    }
    return true;
  }

  Tokenizer m_tokens;
  bool m_broken = false;
};

}  // namespace

std::vector<std::filesystem::path> parseLibraryFolders(std::string_view vdf) {
  if (vdf.size() > kMaxVdfSize) return {};
  return Parser(vdf).libraries();
}

std::optional<std::string> manifestValue(std::string_view vdf, std::string_view key) {
  if (vdf.size() > kMaxVdfSize) return std::nullopt;
  return Parser(vdf).value(key);
}

std::vector<std::filesystem::path> steamLibraries(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> libraries{root};
  for (const auto* file : {"steamapps/libraryfolders.vdf", "config/libraryfolders.vdf"}) {
    auto content = config::readFile(root / file);
    if (!content) continue;
    for (auto& library : parseLibraryFolders(*content)) {
      if (std::find(libraries.begin(), libraries.end(), library) == libraries.end())
        libraries.push_back(std::move(library));
    }
  }
  return libraries;
}

}  // namespace valdor::wine
