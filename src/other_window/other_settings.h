#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/file_io.h"
#include "config/loaded_keys.h"
#include "config/set_outcome.h"
#include "config/value_words.h"
#include "i18n/entry_texts.h"
#include "other_window/control_ids.h"

// The other settings window's values without the window: the record, the
// table that binds each value to its key, and loading, saving, the defaults
// and the fields' texts, all derived from that table.
namespace valdor::other_window {

// A switch's entry in its two-entry list; None when no entry is chosen, which
// only a stored word such as "high" gives.
enum class SwitchPosition : int { Off = 0, On = 1, None = 2 };

struct OtherSettings {
  std::int32_t highViewRangeObjects = 0;
  std::int32_t highViewRangeHigh = 0;
  std::int32_t highViewRangeLow = 0;
  std::int32_t lowViewRangeObjects = 0;
  std::int32_t lowViewRangeHigh = 0;
  std::int32_t lowViewRangeLow = 0;
  std::int32_t mediumViewRangeObjects = 0;
  std::int32_t mediumViewRangeHigh = 0;
  std::int32_t mediumViewRangeLow = 0;
  float levelOfDetail = 0;
  std::uint32_t fpsAverage = 0;
  std::uint32_t fpsMax = 0;
  std::uint32_t fpsMin = 0;
  std::int32_t prefetchCellSize = 0;
  std::int32_t maxDistToPlayer = 0;
  std::int32_t dofEnd = 0;
  std::int32_t dofStart = 0;
  SwitchPosition playerMemory = SwitchPosition::Off;
  SwitchPosition testMode = SwitchPosition::Off;

  bool operator==(const OtherSettings&) const = default;
};

enum class OtherFile { Engine, Debug };  // ve3.ini, debug.ini

// How a value is held, read and typed into its field.
enum class OtherKind {
  Signed,    // a whole number with an optional sign, 32 bits
  Unsigned,  // a whole number without a minus sign, 32 bits
  Decimal,   // a decimal number held in single precision
  Switch,    // disabled, enabled: "false", "true"
};

// How a value is written.
enum class WriteFormat { OneDecimal, Whole, TwoDecimals, Word };  // "%.1lf", "%i", "%.2lf", a value word

using OtherMember = std::variant<std::int32_t OtherSettings::*, std::uint32_t OtherSettings::*,
                                 float OtherSettings::*, SwitchPosition OtherSettings::*>;

// One key of the game's files and everything about it. Both defaults are
// texts that go through the kind's loading rule, exactly like a stored value.
struct OtherRow {
  OtherFile file;
  std::string_view section;
  std::string_view key;
  ControlId control;
  std::string_view labelKey;
  std::string_view tooltipKey;
  OtherKind kind;
  OtherMember member;
  std::string_view readDefault;     // what reading takes for a missing key
  WriteFormat format;
  std::string_view restoreDefault;  // what the restore button puts in, and the tooltip announces
  // Where the value comes as the window presents them: the left column (low,
  // medium, high settings), then the right column from top to bottom.
  int readingOrder;
  // Where an edit field comes in the order the window takes their values: the
  // first field that does not parse in this order is the one reported. -1 for
  // the switches, which are lists.
  int exchangeOrder;
};

// In the order the keys are written.
inline constexpr std::array<OtherRow, 19> kOtherRows{{
  // file            section          key                                                control                             label key                      tooltip key                  kind                 member                                    read      format                     restore    read exchange
  {OtherFile::Engine, "Option.Sliders", "ObjectDetails.fRangedBaseLoDOffset_Low",          ControlId::LowViewRangeObjects,    "TEXT_LOWVIEWRANGEOBJECTS",    "TOOLTIP_VIEWRANGEOBJECTS", OtherKind::Signed,   &OtherSettings::lowViewRangeObjects,    "0",      WriteFormat::OneDecimal,  "-300.0",    0,  3},
  {OtherFile::Engine, "Option.Sliders", "DistanceHigh.fFarClippingPlane_Low",              ControlId::LowViewRangeHigh,       "TEXT_LOWVIEWRANGEHIGH",       "TOOLTIP_VIEWRANGEHIGH2",   OtherKind::Signed,   &OtherSettings::lowViewRangeHigh,       "0",      WriteFormat::OneDecimal,  "6000.0",    1,  4},
  {OtherFile::Engine, "Option.Sliders", "DistanceLow.fFarClippingPlaneLowPolyMesh_Low",    ControlId::LowViewRangeLow,        "TEXT_LOWVIEWRANGELOW",        "TOOLTIP_VIEWRANGELOW2",    OtherKind::Signed,   &OtherSettings::lowViewRangeLow,        "0",      WriteFormat::OneDecimal,  "20000.0",   2,  5},
  {OtherFile::Engine, "Option.Sliders", "ObjectDetails.fRangedBaseLoDOffset_Medium",       ControlId::MediumViewRangeObjects, "TEXT_MEDIUMVIEWRANGEOBJECTS", "TOOLTIP_VIEWRANGEOBJECTS", OtherKind::Signed,   &OtherSettings::mediumViewRangeObjects, "0",      WriteFormat::OneDecimal,  "0.0",       3,  6},
  {OtherFile::Engine, "Option.Sliders", "DistanceHigh.fFarClippingPlane_Medium",           ControlId::MediumViewRangeHigh,    "TEXT_MEDIUMVIEWRANGEHIGH",    "TOOLTIP_VIEWRANGEHIGH2",   OtherKind::Signed,   &OtherSettings::mediumViewRangeHigh,    "0",      WriteFormat::OneDecimal,  "8000.0",    4,  7},
  {OtherFile::Engine, "Option.Sliders", "DistanceLow.fFarClippingPlaneLowPolyMesh_Medium", ControlId::MediumViewRangeLow,     "TEXT_MEDIUMVIEWRANGELOW",     "TOOLTIP_VIEWRANGELOW2",    OtherKind::Signed,   &OtherSettings::mediumViewRangeLow,     "0",      WriteFormat::OneDecimal,  "45000.0",   5,  8},
  {OtherFile::Engine, "Option.Sliders", "ObjectDetails.fRangedBaseLoDOffset_High",         ControlId::HighViewRangeObjects,   "TEXT_HIGHVIEWRANGEOBJECTS",   "TOOLTIP_VIEWRANGEOBJECTS", OtherKind::Signed,   &OtherSettings::highViewRangeObjects,   "0",      WriteFormat::OneDecimal,  "300.0",     6,  0},
  {OtherFile::Engine, "Option.Sliders", "DistanceHigh.fFarClippingPlane_High",             ControlId::HighViewRangeHigh,      "TEXT_HIGHVIEWRANGEHIGH",      "TOOLTIP_VIEWRANGEHIGH2",   OtherKind::Signed,   &OtherSettings::highViewRangeHigh,      "0",      WriteFormat::OneDecimal,  "10000.0",   7,  1},
  {OtherFile::Engine, "Option.Sliders", "DistanceLow.fFarClippingPlaneLowPolyMesh_High",   ControlId::HighViewRangeLow,       "TEXT_HIGHVIEWRANGELOW",       "TOOLTIP_VIEWRANGELOW2",    OtherKind::Signed,   &OtherSettings::highViewRangeLow,       "0",      WriteFormat::OneDecimal,  "100000.0",  8,  2},
  {OtherFile::Engine, "Engine.Setup",   "FpS.Average",                                     ControlId::FpsAverage,             "TEXT_FPSAVERAGE",             "TOOLTIP_FPSAVERAGE",       OtherKind::Unsigned, &OtherSettings::fpsAverage,             "0",      WriteFormat::OneDecimal,  "30.0",     13, 10},
  {OtherFile::Engine, "Engine.Setup",   "FpS.Min",                                         ControlId::FpsMin,                 "TEXT_FPSMIN",                 "TOOLTIP_FPSMIN",           OtherKind::Unsigned, &OtherSettings::fpsMin,                 "0",      WriteFormat::OneDecimal,  "10.0",     14, 12},
  {OtherFile::Engine, "Engine.Setup",   "FpS.Max",                                         ControlId::FpsMax,                 "TEXT_FPSMAX",                 "TOOLTIP_FPSMAX",           OtherKind::Unsigned, &OtherSettings::fpsMax,                 "0",      WriteFormat::OneDecimal,  "120",      15, 11},
  {OtherFile::Engine, "Engine.Setup",   "Render.PrefetchGridCellSize",                     ControlId::PrefetchCellSize,       "TEXT_PREFETCHCELLSIZE",       "TOOLTIP_PREFETCHCELLSIZE", OtherKind::Signed,   &OtherSettings::prefetchCellSize,       "10000",  WriteFormat::Whole,       "10000",     9, 13},
  {OtherFile::Engine, "Camera",         "fMaxDistToPlayer",                                ControlId::MaxDistToPlayer,        "TEXT_MAXDISTTOPLAYER",        "TOOLTIP_MAXDISTTOPLAYER",  OtherKind::Signed,   &OtherSettings::maxDistToPlayer,        "500.0",  WriteFormat::OneDecimal,  "500.0",    10, 14},
  {OtherFile::Engine, "Engine.Setup",   "Render.DOFStart",                                 ControlId::DofStart,               "TEXT_DOFSTART",               "TOOLTIP_DOFSTART",         OtherKind::Signed,   &OtherSettings::dofStart,               "1000.0", WriteFormat::OneDecimal,  "1000.0",   11, 16},
  {OtherFile::Engine, "Engine.Setup",   "Render.DOFEnd",                                   ControlId::DofEnd,                 "TEXT_DOFEND",                 "TOOLTIP_DOFEND",           OtherKind::Signed,   &OtherSettings::dofEnd,                 "8000.0", WriteFormat::OneDecimal,  "8000.0",   12, 15},
  {OtherFile::Engine, "Engine.Setup",   "Render.GlobalVisualLoDFactor",                    ControlId::LevelOfDetail,          "TEXT_LEVELOFDETAIL",          "TOOLTIP_LEVELOFDETAIL",    OtherKind::Decimal,  &OtherSettings::levelOfDetail,          "0.01",   WriteFormat::TwoDecimals, "0.01",     16,  9},
  {OtherFile::Debug,  "PropertySets",   "PlayerMemory.Enabled",                            ControlId::PlayerMemory,           "TEXT_PLAYERMEMORY",           "TOOLTIP_PLAYERMEMORY",     OtherKind::Switch,   &OtherSettings::playerMemory,           "false",  WriteFormat::Word,        "false",    17, -1},
  {OtherFile::Engine, "Game",           "TestMode",                                        ControlId::TestMode,               "TEXT_TESTMODE",               "TOOLTIP_TESTMODE",         OtherKind::Switch,   &OtherSettings::testMode,               "false",  WriteFormat::Word,        "false",    18, -1},
}};

// The label key of the value a control shows, for the window's template;
// naming a control without a value does not compile.
consteval std::string_view labelKeyOf(ControlId control) {
  for (const OtherRow& row : kOtherRows) {
    if (row.control == control) return row.labelKey;
  }
  throw "no value is shown in this control";
}

// The nineteen rows in reading order.
std::vector<const OtherRow*> OtherRowsInReadingOrder();

// The seventeen edit fields' rows in exchange order.
std::vector<const OtherRow*> FieldRowsInExchangeOrder();

// The row of a value control; nullptr for other controls.
const OtherRow* FindOtherRow(ControlId control);

// The switch a row of kind Switch binds.
SwitchPosition& SwitchOf(OtherSettings& settings, const OtherRow& row);
SwitchPosition SwitchOf(const OtherSettings& settings, const OtherRow& row);

// ---- loading, saving, defaults ----

// Reads the nineteen keys; a missing or unreadable file or key gives the read default.
OtherSettings LoadOtherSettings(const std::filesystem::path& engineIni, const std::filesystem::path& debugIni);

// Writes the keys in row order, "PlayerMemory.Enabled" into debug.ini and the
// rest into ve3.ini, all or nothing as far as the system allows: both files'
// new contents are staged before either is replaced, and a missing file is
// created. A switch without a chosen entry keeps its stored word; the detail
// factor keeps its stored text when it is beyond the float range (infinite),
// or when that text reads as the factor held and two decimals would not. A
// file whose contents do not change is not touched. On failure the result
// names the file. With `loaded`, a key that another program changed since
// fails the save as ChangedOutside (nothing written); a save that works
// remembers what the files hold afterwards.
config::Result SaveOtherSettings(const std::filesystem::path& engineIni, const std::filesystem::path& debugIni,
                                 const OtherSettings& settings,
                                 config::LoadedKeys* loaded = nullptr);

// The keys of both files, for a window to remember as it loads them.
config::LoadedKeys OtherLoadedKeys(const std::filesystem::path& engineIni, const std::filesystem::path& debugIni);

// The restore defaults, through the same loading rules as stored values. Writes nothing.
OtherSettings DefaultOtherSettings();

// The default a value control's tooltip appends: the restore text as it
// stands ("-300.0", "120"), for a switch its entry text; nullopt for other controls.
std::optional<std::string> TooltipDefault(ControlId control, const i18n::EntryTexts& texts);

// ---- the window's controls ----

// The two entries of each switch list, "disabled" first.
std::array<std::string, 2> SwitchEntries(const i18n::EntryTexts& texts);

// A switch as a list's current index (-1 when no entry is chosen), and back.
int ListIndex(SwitchPosition position);
SwitchPosition PositionOfIndex(int index);

// The text an edit field shows: whole numbers in plain decimal, the detail
// factor in the fewest digits that read back as the same value ("0.01").
std::string FieldText(const OtherSettings& settings, ControlId field);

// Sets a field's value from text of its kind (blanks around the number
// allowed, an empty text not; a decimal must round to a finite float); false,
// and the value unchanged, otherwise. The field's own text (FieldText) always
// keeps the value, "inf" of a stored factor beyond the float range included.
bool SetFieldText(OtherSettings& settings, const OtherRow& row, std::string_view text);

// Takes the texts of the seventeen fields in exchange order. At the first text
// that is not a number of its field's kind, returns that field and leaves
// `settings` unchanged.
std::optional<ControlId> TakeFieldTexts(OtherSettings& settings, const std::function<std::string(ControlId)>& textOf);

// ---- by name ----

// The row of a key name, compared without regard to case; nullptr when unknown.
const OtherRow* FindOtherSetting(std::string_view key);

using config::SetOutcome;

// Sets a value by key name from a number of its kind, or a switch from an
// entry text of any of `languages` (case ignored).
SetOutcome SetOtherSetting(OtherSettings& settings, std::string_view key, std::string_view value,
                           std::span<const i18n::EntryTexts> languages);

// A value as the window shows it: a field's text, or a switch's entry text ("" when none is chosen).
std::string SettingText(const OtherSettings& settings, const OtherRow& row, const i18n::EntryTexts& texts);

// Every value as "Key=Value", in reading order.
std::vector<std::string> ShowOtherSettings(const OtherSettings& settings, const i18n::EntryTexts& texts);

}  // namespace valdor::other_window
