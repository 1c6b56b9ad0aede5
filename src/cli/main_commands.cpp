#include "cli/main_commands.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "config/numbers.h"
#include "i18n/cp1252.h"
#include "i18n/file_messages.h"
#include "i18n/translator.h"
#include "main_window/display_modes.h"
#include "main_window/main_settings.h"

namespace valdor::cli {

namespace {

namespace mw = main_window;

// Whether the window could ever list the mode: it offers none narrower than
// the game runs in, and a mode with missing keys reads as 0x0@0Hz.
bool isOfferedMode(std::string_view text) {
  const auto parts = mw::splitEntryText(text);
  if (!parts) return false;
  const auto width = config::parseDigits(parts->width, std::numeric_limits<std::uint32_t>::max());
  return width && *width >= mw::kMinimumModeWidth;
}

// The command line never asks the display for its modes. Showing lists the
// stored mode alone, so "Resolution" is what the game will use.
std::vector<std::string> storedModeList(const app::ConfigPaths& paths) {
  std::string stored = mw::StoredResolutionText(paths);
  if (!isOfferedMode(stored)) return {};
  return {std::move(stored)};
}

std::string settingNames() {
  std::string names;
  for (const mw::MainRow& row : mw::kMainRows) {
    const std::string_view name = mw::SettingName(row);
    if (name == mw::kResolutionName && !names.empty()) continue;  // three keys, one setting
    if (!names.empty()) names += ", ";
    names += name;
  }
  return names;
}

// What a setting takes, for the message about a value it does not take.
std::string allowedValues(const mw::MainRow& row, const std::array<mw::MainTexts, 2>& languages,
                          const mw::MainTexts& texts) {
  switch (row.kind) {
    case mw::MainKind::DisplayMode:
      return "a display mode WxH@RHz at least " + std::to_string(mw::kMinimumModeWidth) +
             " pixels wide, for example 1024x768@60Hz";
    case mw::MainKind::Decimal:
      return "a whole number";
    case mw::MainKind::Count:
      return "a whole number " + wholeRangeOf(row.member);
    default:
      break;
  }
  std::string allowed;
  for (const std::string& entry : texts.list(row.kind)) {
    allowed += (allowed.empty() ? "\"" : ", \"") + i18n::cp1252ToUtf8(entry) + "\"";
  }
  if (languages[0].list(row.kind) != languages[1].list(row.kind)) allowed += " (in English or German)";
  return allowed;
}

int save(const app::ConfigPaths& paths, const mw::MainSettings& settings, const i18n::Translator& translator,
         std::ostream& err) {
  const auto result = mw::SaveMainSettings(paths, settings);
  if (result.ok()) return kExitDone;
  err << i18n::saveMessage(translator, result) << "\n";
  return kExitFailed;
}

int show(const app::ConfigPaths& paths, const i18n::Translator& translator, std::ostream& out) {
  const auto texts = mw::MainTexts::fromTranslator(translator);
  const auto settings = mw::LoadMainSettings(paths, texts, storedModeList(paths), {});
  for (const std::string& line : mw::ShowMainSettings(settings, texts)) out << i18n::cp1252ToUtf8(line) << "\n";
  return kExitDone;
}

// Setting and restoring load with an empty resolution list, as the window
// does without a display: the three resolution keys are written only when
// a mode is set, and otherwise keep their bytes. So do the edit fields that
// are not set (a stored -1 is not rewritten as 4294967296.0).
int setSettings(const app::ConfigPaths& paths, const std::vector<Assignment>& assignments,
                const i18n::Translator& translator, std::ostream& err) {
  const auto languages = mw::MainTextsOfBothLanguages(translator);
  const auto texts = mw::MainTexts::fromTranslator(translator);
  auto settings = mw::LoadMainSettings(paths, texts, {}, {});
  bool allTaken = true;
  for (const Assignment& assignment : assignments) {
    const std::string name = i18n::utf8ToCp1252(assignment.key);
    auto outcome = mw::SetMainSetting(settings, name, i18n::utf8ToCp1252(assignment.value), languages, {});
    const mw::MainRow* row = mw::FindMainSetting(name);
    if (outcome == mw::SetOutcome::Done && row->kind == mw::MainKind::DisplayMode &&
        !isOfferedMode(settings.resolution)) {
      outcome = mw::SetOutcome::InvalidValue;
    }
    if (outcome == mw::SetOutcome::Done) continue;
    allTaken = false;
    if (outcome == mw::SetOutcome::UnknownName) {
      err << "valdor3-tuning: unknown setting '" << assignment.key << "'; the settings are: " << settingNames()
          << "\n";
    } else {
      err << "valdor3-tuning: " << mw::SettingName(*row) << " takes " << allowedValues(*row, languages, texts)
          << ", not '" << assignment.value << "'\n";
    }
  }
  if (!allTaken) return kExitFailed;  // nothing is written unless every pair is taken
  return save(paths, settings, translator, err);
}

int restoreDefaults(const app::ConfigPaths& paths, const i18n::Translator& translator, std::ostream& err) {
  const auto texts = mw::MainTexts::fromTranslator(translator);
  auto settings = mw::LoadMainSettings(paths, texts, {}, {});
  mw::RestoreMainDefaults(settings, texts, {});
  return save(paths, settings, translator, err);
}

}  // namespace

std::string mainUsage() {
  const std::string resolution(mw::kResolutionName);
  return "The main commands show values in --language (english when not given) and take them in\n"
         "English or German, case ignored. KEY is a key of the game's files or " + resolution + "; VALUE\n"
         "an entry of the editor's list, a whole number for a number field, or WxH@RHz for\n" +
         resolution + ". Without the editor there is no list of display modes: " + resolution + " shows the\n"
         "stored mode, set takes any mode at least " + std::to_string(mw::kMinimumModeWidth) +
         " wide, and the resolution is written only\n"
         "when set names it (defaults leaves it as stored). Nothing is written when a KEY or\n"
         "VALUE is not known.\n";
}

int runMainCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                   std::ostream& out, std::ostream& err) {
  if (args.empty()) return badUsage(err, "main needs show, set or defaults");
  const std::string& verb = args[0];
  const auto rest = args.subspan(1);
  std::vector<Assignment> assignments;
  if (verb == "set") {
    auto parsed = parseAssignments(rest, "main set", "VALUE", err);
    if (!parsed) return kExitBadUsage;
    assignments = std::move(*parsed);
  } else if (verb == "show" || verb == "defaults") {
    if (!rest.empty()) return badUsage(err, "main " + verb + " takes no arguments");
  } else {
    return badUsage(err, "unknown command 'main " + verb + "'");
  }

  const auto installation = knownInstallation(options, store, err);
  if (!installation) return kExitFailed;
  const auto translator = translatorFor(options);
  if (verb == "show") return show(installation->paths, translator, out);
  if (verb == "set") return setSettings(installation->paths, assignments, translator, err);
  return restoreDefaults(installation->paths, translator, err);
}

}  // namespace valdor::cli
