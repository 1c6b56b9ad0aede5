#pragma once

#include <filesystem>
#include <optional>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <string>
#include <string_view>

// Text look-up in the translation table, by key, in the selected language.
namespace valdor::res {
// The translation table the program carries, as written in res/translation.ini.
extern const std::string_view kTranslationTable;
}

namespace valdor::i18n {

inline constexpr std::string_view kTranslationFileName = "translation.ini";

inline constexpr std::string_view kGerman = "deutsch";
inline constexpr std::string_view kEnglish = "english";
inline constexpr std::string_view kGeneralSection = "general";

// Turns every marker into a line feed, in place, and gives the text back.
std::string& ConvertLineBreaks(std::string& text, char marker = '|');

class Translator {
 public:
  explicit Translator(std::filesystem::path translationFile = {});

  void setTranslationFile(std::filesystem::path file) {
    m_file = std::move(file);
    m_table.reset();
  }
  const std::filesystem::path& translationFile() const { return m_file; }

  void setLanguage(std::string section) { m_language = std::move(section); }
  const std::string& language() const { return m_language; }

  // The text of key in the selected language, as stored (Windows-1252), "" when
  // missing. A key the table file lacks, or every key when the file cannot be
  // read, is answered from the table carried in the program.
  std::string LookupText(std::string_view key) const;

  // LookupText with "|" turned into line feeds: for messages and tooltips.
  std::string message(std::string_view key) const;

  // A text of section "general" (both languages in one), line breaks converted.
  std::string generalMessage(std::string_view key) const;

  // message(key) in UTF-8 with every "{name}" replaced by its value (UTF-8).
  std::string format(std::string_view key, std::initializer_list<std::pair<std::string_view, std::string>> args) const;

 private:
  std::string lookupIn(std::string_view section, std::string_view key) const;
  // The table file's text, read again only when the file is no longer the
  // one read last; nullopt when it cannot be read.
  const std::optional<std::string>& tableText() const;

  // What tells a file apart from the one read before: a rewrite changes the
  // time or the size, a replacement the file number.
  struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t number = 0;
    std::uintmax_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileStamp&) const = default;
  };
  struct ReadTable {
    std::optional<FileStamp> stamp;  // nullopt: read again next time
    std::optional<std::string> text;
  };
  static std::optional<FileStamp> stampOf(const std::filesystem::path& file);

  std::filesystem::path m_file;
  std::string m_language;
  // A window looks up dozens of texts at once; reading and decoding the table
  // for each of them would cost more than everything else it does.
  mutable std::optional<ReadTable> m_table;
};

}  // namespace valdor::i18n
