#include "wine/steam_libraries.h"

#include <algorithm>
#include <optional>
#include <string>

#include "config/file_io.h"
#include "config/numbers.h"
#include "config/text.h"

namespace valdor::wine {

namespace {

// Steam's text format of nested keys: "key" "value" or "key" { ... }, quoted
// or bare words, // comments, and platform conditions like [$WIN32] that
// follow a value.
struct Token {
  enum class Kind { Word, Open, Close } kind;
  std::string text;
};

std::vector<Token> tokenize(std::string_view text) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (text.substr(i).starts_with("//")) {
      i = std::min(text.find('\n', i), text.size());
    } else if (c == '{' || c == '}') {
      tokens.push_back({c == '{' ? Token::Kind::Open : Token::Kind::Close, {}});
      ++i;
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
      tokens.push_back({Token::Kind::Word, std::move(word)});
    } else {
      const auto end = std::min(text.find_first_of(" \t\r\n{}\"", i), text.size());
      tokens.push_back({Token::Kind::Word, std::string(text.substr(i, end - i))});
      i = end;
    }
  }
  return tokens;
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

  std::optional<std::string> value(std::string_view wanted) {
    if (!word() || !open()) return std::nullopt;
    while (auto key = word()) {
      if (open()) {
        pathOfBlock();
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
        if (path && !path->empty() && config::isDigits(*key)) found.emplace_back(*path);
      } else if (auto value = word()) {
        if (!value->empty() && config::isDigits(*key)) found.emplace_back(*value);
      } else {
        break;
      }
    }
    return found;
  }

 private:
  std::optional<std::string> word() {
    if (m_pos >= m_tokens.size() || m_tokens[m_pos].kind != Token::Kind::Word) return std::nullopt;
    return m_tokens[m_pos++].text;
  }

  bool open() { return take(Token::Kind::Open); }
  bool take(Token::Kind kind) {
    if (m_pos >= m_tokens.size() || m_tokens[m_pos].kind != kind) return false;
    ++m_pos;
    return true;
  }

  // The "path" of the block just opened; the block and those inside it are
  // read to their end.
  std::optional<std::string> pathOfBlock() {
    std::optional<std::string> path;
    while (auto key = word()) {
      if (open()) {
        pathOfBlock();
      } else if (auto value = word()) {
        if (!path && config::equalsIgnoreCase(*key, "path")) path = std::move(value);
      } else {
        break;
      }
    }
    take(Token::Kind::Close);
    return path;
  }

  std::vector<Token> m_tokens;
  std::size_t m_pos = 0;
};

}  // namespace

std::vector<std::filesystem::path> parseLibraryFolders(std::string_view vdf) {
  return Parser(tokenize(vdf)).libraries();
}

std::optional<std::string> manifestValue(std::string_view vdf, std::string_view key) {
  return Parser(tokenize(vdf)).value(key);
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
