#include "main_window/main_settings.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "config/rows.h"
#include "config/list_search.h"
#include "config/formats.h"
#include "config/numbers.h"
#include "config/profile.h"
#include "config/text.h"
#include "main_window/display_modes.h"

namespace valdor::main_window {

namespace {

using config::Result;

constexpr std::array<std::string_view, 3> kShaderModels{"1.4", "2.0", "3.0"};

constexpr bool isDisplayMode(const MainRow& row) { return row.kind == MainKind::DisplayMode; }
static_assert(std::count_if(kMainRows.begin(), kMainRows.end(), isDisplayMode) == 3,
              "width, height and refresh rate");

bool isField(MainKind kind) { return kind == MainKind::Decimal || kind == MainKind::Count; }

// The kinds whose keys hold numbers and go through the integer read.
bool readsNumber(MainKind kind) {
  switch (kind) {
    case MainKind::ShaderModel:
    case MainKind::Switch:
    case MainKind::VegetationWord:
    case MainKind::DetailWord:
      return false;
    default:
      return true;
  }
}

// A stored value (or a default text) as the kind's loading rule takes it.
struct Stored {
  std::uint32_t number = 0;
  std::string text;
};

std::span<const std::string_view> wordsOf(MainKind kind) {
  switch (kind) {
    case MainKind::Switch: return config::kSwitchWords;
    case MainKind::VegetationWord: return config::kQualityWords;
    case MainKind::DetailWord: return config::kDetailWords;
    default: return {};
  }
}

// A position chosen directly: one outside the list leaves no entry chosen.
int validPosition(std::int64_t position, MainKind kind) {
  return position >= 0 && position < static_cast<std::int64_t>(ListSize(kind)) ? static_cast<int>(position) : -1;
}

// Selecting by text works like the platform's list search: the first entry
// that begins with the text, ignoring case. Nothing found keeps the choice.
void chooseByText(int& position, const std::vector<std::string>& list, std::string_view text) {
  if (text.empty()) return;  // an empty text names no entry
  if (auto found = config::findStringPrefix(list, text)) position = static_cast<int>(*found);
}

// A text that names no listed mode keeps the choice.
void chooseResolution(std::string& resolution, std::span<const std::string> resolutions, std::string_view text) {
  if (auto found = chooseEntry(resolutions, text, std::nullopt)) resolution = resolutions[*found];
}

// The entry text of the three display-mode numbers, width first.
std::string modeText(const std::vector<std::int32_t>& numbers) { return entryText(numbers[0], numbers[1], numbers[2]); }

void applyStored(const MainRow& row, MainSettings& settings, const Stored& stored, const MainTexts& texts) {
  const auto number = static_cast<std::int32_t>(stored.number);
  switch (row.kind) {
    case MainKind::Level0To3:
    case MainKind::Level1To3:
      chooseByText(PositionOf(settings, row), texts.list(row.kind), i18n::IndexToQualityText(texts.entries, number));
      break;
    case MainKind::ShaderModel:
      // "2_0" in the file; the point goes back in as the second character.
      // Shorter texts have no second character and name no entry.
      if (stored.text.size() >= 2) {
        std::string text = stored.text;
        text[1] = '.';
        chooseByText(PositionOf(settings, row), texts.list(row.kind), text);
      }
      break;
    case MainKind::Filter:
    case MainKind::Effects:
      PositionOf(settings, row) = validPosition(number, row.kind);
      break;
    case MainKind::Switch:
    case MainKind::VegetationWord:
      // "high" gives 2, which a switch does not have.
      PositionOf(settings, row) = validPosition(config::ValueWordToIndex(stored.text, false), row.kind);
      break;
    case MainKind::DetailWord:
      PositionOf(settings, row) = config::ValueWordToIndex(stored.text, true);
      break;
    case MainKind::Decimal:
      // The integer read drops the fraction; a stored -1 arrives as 4294967295.
      settings.*std::get<float MainSettings::*>(row.member) = static_cast<float>(stored.number);
      break;
    case MainKind::Count:
      settings.*std::get<std::uint32_t MainSettings::*>(row.member) = stored.number;
      break;
    case MainKind::DisplayMode:
      break;
  }
}

// Every row's value through its loading rule; the three display-mode numbers
// form the text of the resolution entry to choose.
template <typename ValueOf>
void applyRows(MainSettings& settings, const MainTexts& texts, std::span<const std::string> resolutions,
               ValueOf valueOf) {
  std::vector<std::int32_t> mode;
  for (const MainRow& row : kMainRows) {
    const Stored stored = valueOf(row);
    if (isDisplayMode(row)) {
      mode.push_back(static_cast<std::int32_t>(stored.number));
    } else {
      applyStored(row, settings, stored, texts);
    }
  }
  chooseResolution(settings.resolution, resolutions, modeText(mode));
}

Stored restoreValue(const MainRow& row) {
  return {config::parseProfileInt(row.restoreDefault), std::string(row.restoreDefault)};
}

// An unreadable file reads like a missing one, as the game's own reads do.
std::string contentOf(const std::filesystem::path& file) {
  return config::readProfileText(file).value_or(std::string());
}

Stored readValue(std::string_view content, const MainRow& row) {
  if (readsNumber(row.kind)) {
    const auto fallback = static_cast<std::int32_t>(config::parseProfileInt(row.readDefault));
    return {config::readProfileInt(content, row.section, row.key, fallback), {}};
  }
  return {0, config::readProfileString(content, row.section, row.key, row.readDefault)};
}

// Width, height and refresh rate as the user options file holds them.
std::vector<std::int32_t> storedModeNumbers(std::string_view user) {
  std::vector<std::int32_t> numbers;
  for (const MainRow& row : kMainRows) {
    if (isDisplayMode(row)) numbers.push_back(static_cast<std::int32_t>(readValue(user, row).number));
  }
  return numbers;
}

constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

// A field given a value no longer holds what its key stores.
bool setField(MainSettings& settings, const MainRow& row, std::string_view text) {
  bool taken = false;
  if (row.kind == MainKind::Decimal) {
    auto value = config::parseDigitsAsSingle(text);
    if (value) settings.*std::get<float MainSettings::*>(row.member) = *value;
    taken = value.has_value();
  } else {
    auto value = config::parseDigits(text, kMax32);
    if (value) settings.*std::get<std::uint32_t MainSettings::*>(row.member) = static_cast<std::uint32_t>(*value);
    taken = value.has_value();
  }
  if (taken) settings.fieldsAsStored.erase(row.control);
  return taken;
}

// "WxH@RHz" with whole numbers, in canonical spelling; nullopt otherwise.
std::optional<std::string> parseModeText(std::string_view text) {
  const auto x = text.find_first_of("xX");
  const auto at = text.find('@');
  if (x == std::string_view::npos || at == std::string_view::npos || at < x || text.size() < at + 3 ||
      !config::equalsIgnoreCase(text.substr(text.size() - 2), "Hz")) {
    return std::nullopt;
  }
  const auto width = config::parseDigits(text.substr(0, x), kMax32);
  const auto height = config::parseDigits(text.substr(x + 1, at - x - 1), kMax32);
  const auto rate = config::parseDigits(text.substr(at + 1, text.size() - at - 3), kMax32);
  if (!width || !height || !rate) return std::nullopt;
  return entryText(static_cast<std::int64_t>(*width), static_cast<std::int64_t>(*height),
                   static_cast<std::int64_t>(*rate));
}

// The value a row writes, nullopt when it writes nothing: a list without a
// chosen entry keeps what the file holds rather than "-1" or an empty word.
std::optional<std::string> storedText(const MainRow& row, const MainSettings& settings) {
  if (settings.fieldsAsStored.contains(row.control)) return std::nullopt;
  if (row.kind == MainKind::Decimal) {
    return config::formatOneDecimal(settings.*std::get<float MainSettings::*>(row.member));
  }
  if (row.kind == MainKind::Count) {
    // "%i" of the 32 bits: a stored -1, read as 4294967295, goes back as -1.
    return config::formatInt(static_cast<std::int32_t>(settings.*std::get<std::uint32_t MainSettings::*>(row.member)));
  }
  if (row.kind == MainKind::DisplayMode) return std::nullopt;

  const int position = validPosition(PositionOf(settings, row), row.kind);
  if (position < 0) return std::nullopt;
  const auto at = static_cast<std::size_t>(position);
  switch (row.kind) {
    case MainKind::Level1To3:
      return config::formatInt(position + 1);
    case MainKind::ShaderModel: {
      std::string text(kShaderModels[at]);
      text[1] = '_';
      return text;
    }
    case MainKind::Switch:
    case MainKind::VegetationWord:
    case MainKind::DetailWord:
      // The words by position: the same bytes in every language, even one
      // whose entry texts are missing or alike.
      return std::string(wordsOf(row.kind)[at]);
    default:
      return config::formatInt(position);
  }
}

std::string defaultResolutionText() {
  std::vector<std::int32_t> numbers;
  for (const MainRow& row : kMainRows) {
    if (isDisplayMode(row)) numbers.push_back(static_cast<std::int32_t>(restoreValue(row).number));
  }
  return modeText(numbers);
}

}  // namespace

std::size_t ListSize(MainKind kind) {
  // Counted from the lists themselves, so the two cannot disagree; the texts
  // do not matter for the count.
  return MainTexts{}.list(kind).size();
}

const MainRow* FindMainRow(ControlId control) {
  return config::findRow<MainRow>(kMainRows, &MainRow::control, control);
}

int& PositionOf(MainSettings& settings, const MainRow& row) { return config::memberOf<int>(settings, row.member); }
int PositionOf(const MainSettings& settings, const MainRow& row) { return config::memberOf<int>(settings, row.member); }

// ---- entry texts ----

MainTexts MainTexts::fromTranslator(const i18n::Translator& translator) {
  MainTexts texts;
  texts.entries = i18n::EntryTexts::fromTranslator(translator);
  texts.filters = {translator.LookupText("TEXT_TEXTUREFILTERLINEAR"),
                   translator.LookupText("TEXT_TEXTUREFILTERANISOTROPIC"),
                   translator.LookupText("TEXT_TEXTUREFILTERANISOTROPIC4X"),
                   translator.LookupText("TEXT_TEXTUREFILTERANISOTROPIC8X"),
                   translator.LookupText("TEXT_TEXTUREFILTERANISOTROPIC16X")};
  texts.bloom = translator.LookupText("TEXT_POSTPROCESSINGBLOOM");
  texts.horizontalBlur = translator.LookupText("TEXT_POSTPROCESSINGHORIZONTALBLUR");
  return texts;
}

std::vector<std::string> MainTexts::list(MainKind kind) const {
  const i18n::EntryTexts& e = entries;
  switch (kind) {
    case MainKind::Level0To3: return {e.disabled, e.low, e.medium, e.high};
    case MainKind::Level1To3:
    case MainKind::VegetationWord: return {e.low, e.medium, e.high};
    case MainKind::ShaderModel: return {kShaderModels.begin(), kShaderModels.end()};
    case MainKind::Filter: return {filters.begin(), filters.end()};
    case MainKind::Effects: return {e.disabled, bloom, horizontalBlur};
    case MainKind::Switch: return {e.disabled, e.enabled};
    case MainKind::DetailWord: return {e.normal, e.high, e.ultraHigh};
    default: return {};
  }
}

std::array<MainTexts, 2> MainTextsOfBothLanguages(const i18n::Translator& translator) {
  const auto both = i18n::TranslatorsOfBothLanguages(translator);
  return {MainTexts::fromTranslator(both[0]), MainTexts::fromTranslator(both[1])};
}

// ---- loading ----

MainSettings LoadMainSettings(const app::ConfigPaths& paths, const MainTexts& texts,
                              std::span<const std::string> resolutions, const MainSettings& previous) {
  const std::string user = contentOf(paths.userOptionsIni);
  const std::string engine = contentOf(paths.engineIni);
  const auto contentFor = [&](const MainRow& row) -> const std::string& {
    return row.file == MainFile::UserOptions ? user : engine;
  };
  MainSettings settings = previous;
  applyRows(settings, texts, resolutions, [&](const MainRow& row) { return readValue(contentFor(row), row); });

  const auto mode = storedModeNumbers(user);
  settings.modeStored = mode[0] != 0 && mode[1] != 0;
  settings.fieldsAsStored.clear();
  for (const MainRow& row : kMainRows) {
    if (isField(row.kind) && config::findProfileValue(contentFor(row), row.section, row.key)) {
      settings.fieldsAsStored.insert(row.control);
    }
  }
  return settings;
}

MainSettings WithListsCleared(MainSettings settings) {
  for (const MainRow& row : kMainRows) {
    if (ListSize(row.kind) > 0) PositionOf(settings, row) = -1;
  }
  return settings;
}

std::string StoredResolutionText(const app::ConfigPaths& paths) {
  return modeText(storedModeNumbers(contentOf(paths.userOptionsIni)));
}

// ---- defaults ----

void RestoreMainDefaults(MainSettings& settings, const MainTexts& texts, std::span<const std::string> resolutions) {
  applyRows(settings, texts, resolutions, restoreValue);
  // The player asked for the defaults: their texts are written, even where a
  // field shows the same number as before.
  settings.fieldsAsStored.clear();
}

std::optional<std::string> TooltipDefault(ControlId control, const MainTexts& texts) {
  const MainRow* row = FindMainRow(control);
  if (!row) return std::nullopt;
  if (isDisplayMode(*row)) return defaultResolutionText();
  // The numbers are announced as the restore button's texts ("3500.0"), not as
  // the field shows them.
  if (isField(row->kind)) return std::string(row->restoreDefault);
  MainSettings restored;
  RestoreMainDefaults(restored, texts, {});
  return SettingText(restored, *row, texts);
}

// ---- edit fields ----

std::string FieldText(const MainSettings& settings, ControlId field) {
  const MainRow* row = FindMainRow(field);
  if (!row || !isField(row->kind)) return {};
  if (row->kind == MainKind::Decimal) {
    // Whole digits rather than the shortest general form, which would show
    // 1234567 as 1.23457e+06 and save it back as 1234570.
    return config::formatFixed(settings.*std::get<float MainSettings::*>(row->member), 0);
  }
  return std::to_string(settings.*std::get<std::uint32_t MainSettings::*>(row->member));
}

std::optional<ControlId> TakeFieldTexts(MainSettings& settings, const std::function<std::string(ControlId)>& textOf) {
  MainSettings taken = settings;
  for (const MainRow& row : kMainRows) {
    if (!isField(row.kind)) continue;
    const std::string text = textOf(row.control);
    if (text == FieldText(settings, row.control)) continue;  // not changed
    if (!setField(taken, row, text)) return row.control;
  }
  settings = std::move(taken);
  return std::nullopt;
}

// ---- saving ----

void EnsureResolutionChosen(MainSettings& settings, std::span<const std::string> resolutions) {
  if (settings.resolution.empty() && !settings.modeStored && !resolutions.empty()) {
    settings.resolution = resolutions.front();
  }
}

config::LoadedKeys MainLoadedKeys(const app::ConfigPaths& paths) {
  config::LoadedKeys keys;
  for (const MainRow& row : kMainRows) {
    keys.own(row.file == MainFile::UserOptions ? paths.userOptionsIni : paths.engineIni, row.section, row.key);
  }
  return keys;
}

Result SaveMainSettings(const app::ConfigPaths& paths, const MainSettings& settings, config::LoadedKeys* loaded) {
  config::ProfileEdit userOptions(paths.userOptionsIni);
  config::ProfileEdit engine(paths.engineIni);

  // Setting the keys one by one in row order gives the bytes that writing
  // them one by one gives. The resolution goes as the texts cut from its entry.
  const auto mode = splitEntryText(settings.resolution);
  const std::array<std::string_view, 3> modeParts =
      mode ? std::array{mode->width, mode->height, mode->refreshRate} : std::array<std::string_view, 3>{};
  std::size_t modePart = 0;
  for (const MainRow& row : kMainRows) {
    std::optional<std::string> value;
    if (isDisplayMode(row)) {
      if (mode) value = std::string(modeParts[modePart]);
      ++modePart;
    } else {
      value = storedText(row, settings);
    }
    if (value) (row.file == MainFile::UserOptions ? userOptions : engine).set(row.section, row.key, *value);
  }
  return config::saveGuarded({&userOptions, &engine}, loaded);
}

// ---- by name ----

std::string_view SettingName(const MainRow& row) { return isDisplayMode(row) ? kResolutionName : row.key; }

const MainRow* FindMainSetting(std::string_view name) {
  auto found = std::find_if(kMainRows.begin(), kMainRows.end(),
                            [name](const MainRow& row) { return config::equalsIgnoreCase(SettingName(row), name); });
  return found == kMainRows.end() ? nullptr : &*found;
}

SetOutcome SetMainSetting(MainSettings& settings, std::string_view name, std::string_view value,
                          std::span<const MainTexts> languages, std::span<const std::string> resolutions) {
  const MainRow* row = FindMainSetting(name);
  if (!row) return SetOutcome::UnknownName;
  if (isField(row->kind)) return setField(settings, *row, value) ? SetOutcome::Done : SetOutcome::InvalidValue;
  if (isDisplayMode(*row)) {
    auto text = parseModeText(value);
    if (!text) return SetOutcome::InvalidValue;
    if (resolutions.empty()) {
      settings.resolution = *text;
      return SetOutcome::Done;
    }
    std::string chosen;
    chooseResolution(chosen, resolutions, *text);
    if (chosen.empty()) return SetOutcome::NotListed;
    settings.resolution = chosen;
    return SetOutcome::Done;
  }
  for (const MainTexts& texts : languages) {
    const auto list = texts.list(row->kind);
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (!list[i].empty() && config::equalsIgnoreCaseCp1252(list[i], value)) {
        PositionOf(settings, *row) = static_cast<int>(i);
        return SetOutcome::Done;
      }
    }
  }
  return SetOutcome::InvalidValue;
}

std::string SettingText(const MainSettings& settings, const MainRow& row, const MainTexts& texts) {
  if (isDisplayMode(row)) return settings.resolution;
  if (isField(row.kind)) return FieldText(settings, row.control);
  const int position = validPosition(PositionOf(settings, row), row.kind);
  return position < 0 ? std::string() : texts.list(row.kind)[static_cast<std::size_t>(position)];
}

std::vector<std::string> ShowMainSettings(const MainSettings& settings, const MainTexts& texts) {
  std::vector<std::string> lines;
  bool resolutionShown = false;
  for (const MainRow& row : kMainRows) {
    if (isDisplayMode(row)) {
      if (resolutionShown) continue;
      resolutionShown = true;
    }
    lines.push_back(std::string(SettingName(row)) + "=" + SettingText(settings, row, texts));
  }
  return lines;
}

}  // namespace valdor::main_window
