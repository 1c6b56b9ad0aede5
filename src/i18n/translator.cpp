#include "i18n/translator.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>
#include <system_error>

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

std::optional<Translator::FileStamp> Translator::stampOf(const std::filesystem::path& file) {
  FileStamp stamp;
#ifndef _WIN32
  // One call gives all four, and a look-up pays it every time.
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return std::nullopt;
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.number = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::uintmax_t>(info.st_size);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
#else
  std::error_code error;
  const auto modified = std::filesystem::last_write_time(file, error);
  if (error) return std::nullopt;
  stamp.size = std::filesystem::file_size(file, error);
  if (error) return std::nullopt;
  stamp.modified = std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count();
#endif
  return stamp;
}

const std::optional<std::string>& Translator::tableText() const {
  // A file that cannot be stamped (gone, or not there yet) is read each time,
  // as before: whatever stood in its way may be gone at the next look-up.
  const auto stamp = stampOf(m_file);
  if (!stamp || !m_table || m_table->stamp != stamp) {
    auto content = config::readProfileText(m_file);
    m_table = ReadTable{stamp, content ? std::optional<std::string>(std::move(*content)) : std::nullopt};
  }
  return m_table->text;
}

std::string Translator::lookupIn(std::string_view section, std::string_view key) const {
  // Read anew each time, like every other value. When the extracted table has
  // gone (another copy of the tool deleted it on exit, or it could never be
  // written) the table the program carries gives the text instead.
  // A table left by an older version lacks the newer keys; each of them is
  // taken from the carried table, so no message goes blank. A line feed
  // marks "missing": no stored value can hold one.
  constexpr std::string_view kMissing = "\n";
  if (const auto& content = tableText()) {
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
