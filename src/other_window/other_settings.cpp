#include "other_window/other_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "config/rows.h"
#include "config/formats.h"
#include "config/numbers.h"
#include "config/profile.h"
#include "config/text.h"

namespace valdor::other_window {

namespace {

using config::Result;

// The member type each kind holds, in the order of OtherMember's alternatives.
constexpr std::size_t memberIndex(OtherKind kind) {
  switch (kind) {
    case OtherKind::Signed: return 0;
    case OtherKind::Unsigned: return 1;
    case OtherKind::Decimal: return 2;
    case OtherKind::Switch: return 3;
  }
  return 0;
}
static_assert(std::all_of(kOtherRows.begin(), kOtherRows.end(),
                          [](const OtherRow& row) { return row.member.index() == memberIndex(row.kind); }),
              "every row's member has the type of its kind");

// Whether the rows but those `skipped` (which hold -1) have the places 0, 1,
// 2... of an order, each its own.
constexpr bool isOrder(int OtherRow::*place, bool (*skipped)(const OtherRow&)) {
  const auto count =
      std::count_if(kOtherRows.begin(), kOtherRows.end(), [skipped](const OtherRow& row) { return !skipped(row); });
  std::array<bool, kOtherRows.size()> taken{};
  for (const OtherRow& row : kOtherRows) {
    const int at = row.*place;
    if (skipped(row)) {
      if (at != -1) return false;
      continue;
    }
    if (at < 0 || at >= count || taken[static_cast<std::size_t>(at)]) return false;
    taken[static_cast<std::size_t>(at)] = true;
  }
  return true;
}
constexpr bool noRow(const OtherRow&) { return false; }
constexpr bool isSwitchRow(const OtherRow& row) { return row.kind == OtherKind::Switch; }
static_assert(isOrder(&OtherRow::readingOrder, noRow), "every value is presented once");
static_assert(isOrder(&OtherRow::exchangeOrder, isSwitchRow), "every field is taken once");

// The rows but those `skipped`, sorted by one of their places.
std::vector<const OtherRow*> rowsBy(int OtherRow::*place, bool (*skipped)(const OtherRow&)) {
  std::vector<const OtherRow*> rows;
  for (const OtherRow& row : kOtherRows) {
    if (!skipped(row)) rows.push_back(&row);
  }
  std::sort(rows.begin(), rows.end(), [place](const OtherRow* a, const OtherRow* b) { return a->*place < b->*place; });
  return rows;
}

// The value texts are read into a buffer of 260 characters, terminator included.
constexpr std::size_t kReadCapacity = 260;

// The float nearest to a double, as the hardware rounds it. C++ leaves
// narrowing beyond the largest float undefined, but a value below the midpoint
// between it and 2^128 still rounds down to it (3.4028235e38 is the largest
// float, not infinity); from the midpoint on, the tie going to the even 2^128,
// it is infinite.
float toSingle(double value) {
  constexpr double kLargest = std::numeric_limits<float>::max();  // 0x1.fffffep127
  constexpr double kOverflow = 0x1.ffffffp127;
  const double magnitude = std::fabs(value);
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  if (magnitude >= kOverflow) return value > 0 ? kInfinity : -kInfinity;
  if (magnitude > kLargest) return static_cast<float>(std::copysign(kLargest, value));
  return static_cast<float>(value);
}

// A stored decimal text as loading reads it.
float decimalReading(std::string_view text) { return toSingle(config::leadingDecimal(text)); }

// A decimal field: runtime blanks around one decimal number, which must fit a float.
std::optional<float> parseDecimal(std::string_view text) {
  const auto value = config::parseDecimal(config::trimRuntimeBlanks(text));
  if (!value) return std::nullopt;
  const float single = toSingle(*value);
  if (!std::isfinite(single)) return std::nullopt;
  return single;
}

std::int32_t& signedOf(OtherSettings& s, const OtherRow& row) {
  return s.*std::get<std::int32_t OtherSettings::*>(row.member);
}
std::uint32_t& unsignedOf(OtherSettings& s, const OtherRow& row) {
  return s.*std::get<std::uint32_t OtherSettings::*>(row.member);
}
float& decimalOf(OtherSettings& s, const OtherRow& row) { return s.*std::get<float OtherSettings::*>(row.member); }

// A numeric value widened to double, as the writes format it.
double numberOf(const OtherSettings& s, const OtherRow& row) {
  switch (row.kind) {
    case OtherKind::Signed: return s.*std::get<std::int32_t OtherSettings::*>(row.member);
    case OtherKind::Unsigned: return s.*std::get<std::uint32_t OtherSettings::*>(row.member);
    case OtherKind::Decimal: return s.*std::get<float OtherSettings::*>(row.member);
    case OtherKind::Switch: break;
  }
  return 0;
}

// A stored value (or a default text) through the kind's loading rule: the 32
// bits of the integer read for whole numbers, the text for the others.
void applyValue(const OtherRow& row, OtherSettings& settings, std::uint32_t number, std::string_view text) {
  switch (row.kind) {
    case OtherKind::Signed:
      signedOf(settings, row) = static_cast<std::int32_t>(number);
      break;
    case OtherKind::Unsigned:
      // A stored -5 is the same 32 bits as 4294967291.
      unsignedOf(settings, row) = number;
      break;
    case OtherKind::Decimal:
      decimalOf(settings, row) = decimalReading(text);
      break;
    case OtherKind::Switch:
      // "high" gives position 2, which leaves the list without a choice.
      SwitchOf(settings, row) = static_cast<SwitchPosition>(config::ValueWordToIndex(text, false));
      break;
  }
}

// An unreadable file reads like a missing one, as the game's own reads do.
std::string contentOf(const std::filesystem::path& file) {
  return config::readProfileText(file).value_or(std::string());
}

// The detail factor's text; nullopt for a factor beyond the float range
// (1e39), which loads as infinite: no text of ours means that, and "inf"
// would read back as 0, so the stored one stays.
std::optional<std::string> factorText(float value) {
  if (!std::isfinite(value)) return std::nullopt;
  return config::formatFixed(value, 2);
}

// Whether a stored factor text stays rather than being replaced by `text`:
// when it still reads as the value held and two decimals would change that
// (an untouched 0.015 would become 0.01), so saving some other value never
// changes it.
bool keepsStoredFactor(std::string_view stored, float value, const std::string& text) {
  stored = stored.substr(0, kReadCapacity - 1);  // what loading reads of it
  return decimalReading(stored) == value && decimalReading(text) != value;
}

// The value a row writes; nullopt when it writes nothing: a switch without a
// chosen entry keeps its stored word rather than becoming an empty value.
std::optional<std::string> storedText(const OtherRow& row, const OtherSettings& settings) {
  switch (row.format) {
    case WriteFormat::OneDecimal: return config::formatFixed(numberOf(settings, row), 1);
    case WriteFormat::TwoDecimals: return factorText(static_cast<float>(numberOf(settings, row)));
    case WriteFormat::Whole: return config::formatInt(static_cast<std::int64_t>(numberOf(settings, row)));
    case WriteFormat::Word: {
      // The word by position: the same bytes in every language, even one
      // whose entry texts are missing or alike.
      const SwitchPosition position = SwitchOf(settings, row);
      if (position == SwitchPosition::None) return std::nullopt;
      return std::string(config::kSwitchWords[static_cast<std::size_t>(position)]);
    }
  }
  return std::nullopt;
}

std::string switchText(SwitchPosition position, const i18n::EntryTexts& texts) {
  const int index = ListIndex(position);
  return index < 0 ? std::string() : SwitchEntries(texts)[static_cast<std::size_t>(index)];
}

}  // namespace

std::vector<const OtherRow*> OtherRowsInReadingOrder() { return rowsBy(&OtherRow::readingOrder, noRow); }

std::vector<const OtherRow*> FieldRowsInExchangeOrder() { return rowsBy(&OtherRow::exchangeOrder, isSwitchRow); }

const OtherRow* FindOtherRow(ControlId control) {
  return config::findRow<OtherRow>(kOtherRows, &OtherRow::control, control);
}

SwitchPosition& SwitchOf(OtherSettings& settings, const OtherRow& row) {
  return config::memberOf<SwitchPosition>(settings, row.member);
}
SwitchPosition SwitchOf(const OtherSettings& settings, const OtherRow& row) {
  return config::memberOf<SwitchPosition>(settings, row.member);
}

// ---- loading, saving, defaults ----

OtherSettings LoadOtherSettings(const std::filesystem::path& engineIni, const std::filesystem::path& debugIni) {
  const std::string engine = contentOf(engineIni);
  const std::string debug = contentOf(debugIni);
  OtherSettings settings;
  for (const OtherRow& row : kOtherRows) {
    const std::string& content = row.file == OtherFile::Engine ? engine : debug;
    if (row.kind == OtherKind::Signed || row.kind == OtherKind::Unsigned) {
      // The integer read stops at the decimal point: "6000.7" gives 6000.
      const auto fallback = static_cast<std::int32_t>(config::parseProfileInt(row.readDefault));
      applyValue(row, settings, config::readProfileInt(content, row.section, row.key, fallback), {});
    } else {
      applyValue(row, settings, 0,
                 config::readProfileString(content, row.section, row.key, row.readDefault, kReadCapacity));
    }
  }
  return settings;
}

config::LoadedKeys OtherLoadedKeys(const std::filesystem::path& engineIni, const std::filesystem::path& debugIni) {
  config::LoadedKeys keys;
  for (const OtherRow& row : kOtherRows) {
    keys.own(row.file == OtherFile::Engine ? engineIni : debugIni, row.section, row.key);
  }
  return keys;
}

Result SaveOtherSettings(const std::filesystem::path& engineIni, const std::filesystem::path& debugIni,
                         const OtherSettings& settings, config::LoadedKeys* loaded) {
  config::ProfileEdit engine(engineIni);
  config::ProfileEdit debug(debugIni);
  // Setting the keys one by one in row order gives the bytes that writing
  // them one by one gives.
  for (const OtherRow& row : kOtherRows) {
    const auto text = storedText(row, settings);
    if (!text) continue;
    config::ProfileEdit& edit = row.file == OtherFile::Engine ? engine : debug;
    if (row.format == WriteFormat::TwoDecimals) {
      const auto value = static_cast<float>(numberOf(settings, row));
      edit.setUnlessStored(row.section, row.key, *text,
                           [value, text](std::string_view stored) { return keepsStoredFactor(stored, value, *text); });
    } else {
      edit.set(row.section, row.key, *text);
    }
  }
  return config::saveGuarded({&engine, &debug}, loaded);
}

OtherSettings DefaultOtherSettings() {
  OtherSettings settings;
  for (const OtherRow& row : kOtherRows) {
    applyValue(row, settings, config::parseProfileInt(row.restoreDefault), row.restoreDefault);
  }
  return settings;
}

std::optional<std::string> TooltipDefault(ControlId control, const i18n::EntryTexts& texts) {
  const OtherRow* row = FindOtherRow(control);
  if (!row) return std::nullopt;
  if (row->kind == OtherKind::Switch) return switchText(SwitchOf(DefaultOtherSettings(), *row), texts);
  // The numbers are announced as the restore texts ("120"), not as the field shows them.
  return std::string(row->restoreDefault);
}

// ---- the window's controls ----

std::array<std::string, 2> SwitchEntries(const i18n::EntryTexts& texts) { return {texts.disabled, texts.enabled}; }

int ListIndex(SwitchPosition position) { return position == SwitchPosition::None ? -1 : static_cast<int>(position); }

SwitchPosition PositionOfIndex(int index) {
  return index == 0 ? SwitchPosition::Off : index == 1 ? SwitchPosition::On : SwitchPosition::None;
}

std::string FieldText(const OtherSettings& settings, ControlId field) {
  const OtherRow* row = FindOtherRow(field);
  if (!row) return {};
  switch (row->kind) {
    case OtherKind::Signed: return std::to_string(settings.*std::get<std::int32_t OtherSettings::*>(row->member));
    case OtherKind::Unsigned: return std::to_string(settings.*std::get<std::uint32_t OtherSettings::*>(row->member));
    case OtherKind::Decimal: {
      // The shortest text that reads back as the same float: six significant
      // digits would turn 1234.565 into 1234.57 on a save without a change.
      char text[32];
      const float value = settings.*std::get<float OtherSettings::*>(row->member);
      const auto [end, error] = std::to_chars(text, text + sizeof text, value);
      return error == std::errc() ? std::string(text, end) : std::string();
    }
    case OtherKind::Switch: break;
  }
  return {};
}

bool SetFieldText(OtherSettings& settings, const OtherRow& row, std::string_view text) {
  // The text the field was given, untouched, keeps the value, even one that no
  // typed number gives: a stored factor beyond the float range shows as "inf",
  // and the window must still close and save the other values.
  if (row.kind != OtherKind::Switch && config::trimRuntimeBlanks(text) == FieldText(settings, row.control)) return true;
  switch (row.kind) {
    case OtherKind::Signed: {
      const auto value = config::parseWhole(config::trimRuntimeBlanks(text), std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max());
      if (!value) return false;
      signedOf(settings, row) = static_cast<std::int32_t>(*value);
      return true;
    }
    case OtherKind::Unsigned: {
      const auto value =
          config::parseWhole(config::trimRuntimeBlanks(text), 0, std::numeric_limits<std::uint32_t>::max());
      if (!value) return false;
      unsignedOf(settings, row) = static_cast<std::uint32_t>(*value);
      return true;
    }
    case OtherKind::Decimal: {
      const auto value = parseDecimal(text);
      if (value) decimalOf(settings, row) = *value;
      return value.has_value();
    }
    case OtherKind::Switch: break;
  }
  return false;
}

std::optional<ControlId> TakeFieldTexts(OtherSettings& settings, const std::function<std::string(ControlId)>& textOf) {
  // Nothing is taken unless every field is: a save then never writes a mix of
  // new values and the old values of the refused field and those after it.
  OtherSettings taken = settings;
  for (const OtherRow* row : FieldRowsInExchangeOrder()) {
    if (!SetFieldText(taken, *row, textOf(row->control))) return row->control;
  }
  settings = std::move(taken);
  return std::nullopt;
}

// ---- by name ----

const OtherRow* FindOtherSetting(std::string_view key) {
  auto found = std::find_if(kOtherRows.begin(), kOtherRows.end(),
                            [key](const OtherRow& row) { return config::equalsIgnoreCase(row.key, key); });
  return found == kOtherRows.end() ? nullptr : &*found;
}

SetOutcome SetOtherSetting(OtherSettings& settings, std::string_view key, std::string_view value,
                           std::span<const i18n::EntryTexts> languages) {
  const OtherRow* row = FindOtherSetting(key);
  if (!row) return SetOutcome::UnknownName;
  if (row->kind != OtherKind::Switch) {
    return SetFieldText(settings, *row, value) ? SetOutcome::Done : SetOutcome::InvalidValue;
  }
  for (const i18n::EntryTexts& texts : languages) {
    const auto entries = SwitchEntries(texts);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (!entries[i].empty() && config::equalsIgnoreCase(entries[i], value)) {
        SwitchOf(settings, *row) = PositionOfIndex(static_cast<int>(i));
        return SetOutcome::Done;
      }
    }
  }
  return SetOutcome::InvalidValue;
}

std::string SettingText(const OtherSettings& settings, const OtherRow& row, const i18n::EntryTexts& texts) {
  if (row.kind == OtherKind::Switch) return switchText(SwitchOf(settings, row), texts);
  return FieldText(settings, row.control);
}

std::vector<std::string> ShowOtherSettings(const OtherSettings& settings, const i18n::EntryTexts& texts) {
  std::vector<std::string> lines;
  for (const OtherRow* row : OtherRowsInReadingOrder()) {
    lines.push_back(std::string(row->key) + "=" + SettingText(settings, *row, texts));
  }
  return lines;
}

}  // namespace valdor::other_window
