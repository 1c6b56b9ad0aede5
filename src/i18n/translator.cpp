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
  auto content = config::readProfileText(m_file);
  if (!content) {
    return config::readProfileString(res::kTranslationTable, section, key, "", config::kTextCapacity);
  }
  return config::readProfileString(*content, section, key, "", config::kTextCapacity);
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
  std::string text = message(key);
  for (const auto& [name, value] : args) {
    // Appended piece by piece: GCC 12's -Wrestrict misreads "{" + name + "}"
    // in optimised builds.
    std::string placeholder(1, '{');
    placeholder.append(name).push_back('}');
    // File names come from the system in UTF-8; the texts are Windows-1252.
    const std::string converted = utf8ToCp1252(value);
    for (std::size_t pos = text.find(placeholder); pos != std::string::npos;
         pos = text.find(placeholder, pos + converted.size())) {
      text.replace(pos, placeholder.size(), converted);
    }
  }
  return text;
}

}  // namespace valdor::i18n
