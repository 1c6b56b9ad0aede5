#include "i18n/translator.h"

#include "config/file_io.h"
#include "config/profile.h"
#include "i18n/cp1252.h"

namespace valdor::i18n {

std::string& ConvertLineBreaks(std::string& text, char marker) {
  for (char& c : text) {
    if (c == marker) c = '\n';
  }
  return text;
}

Translator::Translator(std::filesystem::path translationFile) : m_file(std::move(translationFile)) {}

std::string Translator::lookupIn(std::string_view section, std::string_view key) const {
  // Read anew each time, like every other value. When the extracted table has
  // gone (another copy of the tool deleted it on exit, or it could never be
  // written) the table the program carries gives the text instead.
  // A table left by an older version lacks the newer keys; each of them is
  // taken from the carried table, so no message goes blank. A line feed
  // marks "missing": no stored value can hold one.
  constexpr std::string_view kMissing = "\n";
  if (auto content = config::readProfileText(m_file)) {
    std::string text = config::readProfileString(*content, section, key, kMissing, config::kTextCapacity);
    if (text != kMissing) return text;
  }
  return config::readProfileString(res::kTranslationTable, section, key, "", config::kTextCapacity);
}

std::string Translator::LookupText(std::string_view key) const { return lookupIn(m_language, key); }

std::string Translator::message(std::string_view key) const {
  std::string text = LookupText(key);
  return ConvertLineBreaks(text);
}

std::string Translator::generalMessage(std::string_view key) const {
  std::string text = lookupIn(kGeneralSection, key);
  return ConvertLineBreaks(text);
}

std::string Translator::format(std::string_view key,
                               std::initializer_list<std::pair<std::string_view, std::string>> args) const {
  // The table's text becomes UTF-8, so a file name keeps every character.
  std::string text = cp1252ToUtf8(message(key));
  for (const auto& [name, value] : args) {
    const std::string placeholder = "{" + std::string(name) + "}";
    for (std::size_t pos = text.find(placeholder); pos != std::string::npos;
         pos = text.find(placeholder, pos + value.size())) {
      text.replace(pos, placeholder.size(), value);
    }
  }
  return text;
}

}  // namespace valdor::i18n
