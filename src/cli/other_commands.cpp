#include "cli/other_commands.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "i18n/file_messages.h"
#include "cli/command_line.h"
#include "i18n/cp1252.h"
#include "i18n/translator.h"
#include "i18n/entry_texts.h"
#include "other_window/other_settings.h"

namespace valdor::cli {

namespace {

namespace ow = other_window;

// The switches' entry texts are those of the main window's lists.
i18n::EntryTexts entryTexts(const i18n::Translator& translator) {
  return i18n::EntryTexts::fromTranslator(translator);
}

std::string keyNames() {
  std::string names;
  for (const ow::OtherRow* row : ow::OtherRowsInReadingOrder()) {
    if (!names.empty()) names += ", ";
    names += row->key;
  }
  return names;
}

// What a key takes, for the message about a value it does not take.
std::string allowedValues(const ow::OtherRow& row, const i18n::EntryTexts& texts) {
  switch (row.kind) {
    case ow::OtherKind::Signed:
    case ow::OtherKind::Unsigned: return "a whole number " + wholeRangeOf(row.member);
    case ow::OtherKind::Decimal: return "a decimal number with a point, for example 0.01";
    case ow::OtherKind::Switch: break;
  }
  std::string allowed;
  for (const std::string& entry : ow::SwitchEntries(texts)) {
    allowed += (allowed.empty() ? "\"" : ", \"") + i18n::cp1252ToUtf8(entry) + "\"";
  }
  return allowed + " (in English or German)";
}

int save(const app::ConfigPaths& paths, const ow::OtherSettings& settings, const i18n::Translator& translator,
         std::ostream& err) {
  const auto result = ow::SaveOtherSettings(paths.engineIni, paths.debugIni, settings);
  if (result.ok()) return kExitDone;
  err << i18n::failureMessage(translator, result) << "\n";
  return kExitFailed;
}

int show(const app::ConfigPaths& paths, const i18n::Translator& translator, std::ostream& out) {
  const auto settings = ow::LoadOtherSettings(paths.engineIni, paths.debugIni);
  for (const std::string& line : ow::ShowOtherSettings(settings, entryTexts(translator))) {
    out << i18n::cp1252ToUtf8(line) << "\n";
  }
  return kExitDone;
}

int setValues(const app::ConfigPaths& paths, const std::vector<Assignment>& assignments,
              const i18n::Translator& translator, std::ostream& err) {
  const auto both = i18n::TranslatorsOfBothLanguages(translator);
  const std::array languages{i18n::EntryTexts::fromTranslator(both[0]), i18n::EntryTexts::fromTranslator(both[1])};
  const auto texts = entryTexts(translator);
  auto settings = ow::LoadOtherSettings(paths.engineIni, paths.debugIni);
  bool allTaken = true;
  for (const Assignment& assignment : assignments) {
    const std::string key = i18n::utf8ToCp1252(assignment.key);
    const auto outcome = ow::SetOtherSetting(settings, key, i18n::utf8ToCp1252(assignment.value), languages);
    if (outcome == ow::SetOutcome::Done) continue;
    allTaken = false;
    if (outcome == ow::SetOutcome::UnknownName) {
      err << "valdor3-tuning: unknown setting '" << assignment.key << "'; the settings are: " << keyNames() << "\n";
    } else {
      const ow::OtherRow& row = *ow::FindOtherSetting(key);
      err << "valdor3-tuning: " << row.key << " takes " << allowedValues(row, texts) << ", not '" << assignment.value
          << "'\n";
    }
  }
  if (!allTaken) return kExitFailed;  // nothing is written unless every pair is taken
  return save(paths, settings, translator, err);
}

// The keys of the rows of a kind, in row order.
std::vector<std::string_view> keysOfKind(ow::OtherKind kind) {
  std::vector<std::string_view> keys;
  for (const ow::OtherRow& row : ow::kOtherRows) {
    if (row.kind == kind) keys.push_back(row.key);
  }
  return keys;
}

// The keys as a group named by their common first part ("the FpS keys"), or
// listed when they have none.
std::string keyGroup(const std::vector<std::string_view>& keys) {
  const std::string_view group = keys.empty() ? std::string_view() : keys.front().substr(0, keys.front().find('.'));
  const bool shared = !group.empty() && std::all_of(keys.begin(), keys.end(), [group](std::string_view key) {
    return key.starts_with(group) && key.size() > group.size() && key[group.size()] == '.';
  });
  return shared ? "the " + std::string(group) + " keys" : joinedNames(keys);
}

// The names joined with ", " and a last " and ".
std::string spokenList(const std::vector<std::string_view>& names) {
  std::string spoken;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) spoken += i + 1 == names.size() ? " and " : ", ";
    spoken += names[i];
  }
  return spoken;
}

}  // namespace

std::string otherUsage() {
  return "The other commands name each value by its key in ve3.ini or debug.ini (case ignored).\n"
         "VALUE is a whole number (no minus sign for " + keyGroup(keysOfKind(ow::OtherKind::Unsigned)) +
         "), a decimal number with a point\n"
         "for " + spokenList(keysOfKind(ow::OtherKind::Decimal)) + ", or enabled/disabled in English or German for\n" +
         spokenList(keysOfKind(ow::OtherKind::Switch)) + ". Nothing is written when a KEY or VALUE is not taken.\n";
}

int runOtherCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                    std::ostream& out, std::ostream& err) {
  if (args.empty()) return badUsage(err, "other needs show, set or defaults");
  const std::string& verb = args[0];
  const auto rest = args.subspan(1);
  std::vector<Assignment> assignments;
  if (verb == "set") {
    auto parsed = parseAssignments(rest, "other set", "VALUE", err);
    if (!parsed) return kExitBadUsage;
    assignments = std::move(*parsed);
  } else if (verb == "show" || verb == "defaults") {
    if (!rest.empty()) return badUsage(err, "other " + verb + " takes no arguments");
  } else {
    return badUsage(err, "unknown command 'other " + verb + "'");
  }

  const auto installation = knownInstallation(options, store, err);
  if (!installation) return kExitFailed;
  const auto translator = translatorFor(options);
  if (verb == "show") return show(installation->paths, translator, out);
  if (verb == "set") return setValues(installation->paths, assignments, translator, err);
  return save(installation->paths, ow::DefaultOtherSettings(), translator, err);
}

}  // namespace valdor::cli
