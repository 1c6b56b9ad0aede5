#include "cli/completion.h"

#include <array>
#include <string_view>
#include <vector>

#include "cache_window/cache_settings.h"
#include "cli/program_options.h"
#include "i18n/cp1252.h"
#include "i18n/entry_texts.h"
#include "i18n/translator.h"
#include "main_window/main_settings.h"
#include "other_window/other_settings.h"

namespace valdor::cli {

namespace {

namespace mw = main_window;
namespace cw = cache_window;
namespace ow = other_window;

struct CommandWords {
  std::string_view context;
  std::vector<std::string_view> words;
};

// The words runCommand and the command groups dispatch on; the command line's
// tests check that each of them is known there.
std::vector<CommandWords> commandWords() {
  std::vector<std::string_view> columns;
  for (const cw::CacheColumnRow& row : cw::kCacheColumnRows) columns.push_back(row.name);
  return {
      {{}, {"ini", "locate", "logos", "backup", "main", "cache", "other"}},
      {"ini", {"get", "get-int", "set"}},
      {"locate", {"--all"}},
      {"logos", {"remove", "restore"}},
      {"backup", {"create", "load"}},
      {"backup create", {"--force"}},
      {"main", {"show", "set", "defaults"}},
      {"cache", {"show", "set", "scale", "defaults"}},
      {"cache scale", std::move(columns)},
      {"other", {"show", "set", "defaults"}},
  };
}

class Lines {
 public:
  void add(std::initializer_list<std::string_view> head, const auto& fields) {
    std::string_view separator;
    for (std::string_view field : head) {
      m_text.append(separator).append(field);
      separator = "\t";
    }
    for (const auto& field : fields) m_text.append("\t").append(field);
    m_text += "\n";
  }
  std::string text() && { return std::move(m_text); }

 private:
  std::string m_text;
};

std::vector<std::string> utf8(const std::vector<std::string>& entries) {
  std::vector<std::string> converted;
  for (const std::string& entry : entries) converted.push_back(i18n::cp1252ToUtf8(entry));
  return converted;
}

}  // namespace

std::string completionData() {
  Lines lines;
  const OptionNames options = optionNames();
  lines.add({"options"}, options.flags);
  lines.add({"folder-options"}, options.folders);
  lines.add({"choice-option", options.language}, i18n::kLanguages);
  for (const CommandWords& command : commandWords()) {
    if (command.context.empty()) {
      lines.add({"commands"}, command.words);
    } else {
      lines.add({"words", command.context}, command.words);
    }
  }

  // The languages' section names beside their texts, English first as
  // MainTextsOfBothLanguages and TranslatorsOfBothLanguages give them.
  constexpr std::array languages{i18n::kEnglish, i18n::kGerman};
  const i18n::Translator translator;

  std::vector<std::string_view> mainKeys;
  for (const mw::MainRow& row : mw::kMainRows) {
    const std::string_view name = mw::SettingName(row);
    if (mainKeys.empty() || mainKeys.back() != name) mainKeys.push_back(name);
  }
  lines.add({"keys", "main set"}, mainKeys);
  const auto mainTexts = mw::MainTextsOfBothLanguages(translator);
  for (std::size_t language = 0; language < languages.size(); ++language) {
    for (const mw::MainRow& row : mw::kMainRows) {
      const auto entries = mainTexts[language].list(row.kind);
      if (entries.empty()) continue;
      lines.add({"values", languages[language], "main set", mw::SettingName(row)}, utf8(entries));
    }
  }

  std::vector<std::string_view> cacheKeys;
  for (cw::CacheField field : cw::WindowOrder()) cacheKeys.push_back(cw::RowOf(field).key);
  lines.add({"keys", "cache set"}, cacheKeys);

  std::vector<std::string_view> otherKeys;
  for (const ow::OtherRow* row : ow::OtherRowsInReadingOrder()) otherKeys.push_back(row->key);
  lines.add({"keys", "other set"}, otherKeys);
  const auto translators = i18n::TranslatorsOfBothLanguages(translator);
  for (std::size_t language = 0; language < languages.size(); ++language) {
    const auto switches = ow::SwitchEntries(i18n::EntryTexts::fromTranslator(translators[language]));
    for (const ow::OtherRow& row : ow::kOtherRows) {
      if (row.kind != ow::OtherKind::Switch) continue;
      lines.add({"values", languages[language], "other set", row.key},
                utf8(std::vector<std::string>(switches.begin(), switches.end())));
    }
  }
  return std::move(lines).text();
}

}  // namespace valdor::cli
