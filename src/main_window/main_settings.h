#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/config_paths.h"
#include "config/file_io.h"
#include "config/loaded_keys.h"
#include "config/set_outcome.h"
#include "config/value_words.h"
#include "i18n/entry_texts.h"
#include "i18n/translator.h"
#include "main_window/control_ids.h"

// The main window's settings without the window: the record, the table that
// binds each member to its key, and loading, saving and the defaults, all
// derived from that table.
namespace valdor::main_window {

// What the main window shows. A list choice is a position in its list, -1
// when no entry is chosen; the resolution is the chosen entry's text, empty
// when none is chosen.
struct MainSettings {
  std::string resolution;
  int distanceHigh = -1;
  int distanceLow = -1;
  int resourceCache = -1;
  int objectDetails = -1;
  int shaderQuality = -1;
  int textureQuality = -1;
  int textureFilter = -1;
  int vegetationQuality = -1;
  int shadowQuality = -1;
  int postProcessing = -1;
  int enableVegetationRendering = -1;
  int vegetationAdminQuality = -1;
  float vegetationAdminViewRange = 0;
  int enableTreeShadows = -1;
  int enableStaticShadows = -1;
  int enableDetailShadows = -1;
  float physicControllerDistance = 0;
  std::uint32_t maxRagDolls = 0;
  float entityRoi = 0;
  int enableLowpolyRendering = -1;
  int meshLoDQuality = -1;
  int animationLoDQuality = -1;
  int imageLoDQuality = -1;

  // What loading found, so that saving leaves alone what the player did not
  // change. modeStored: the files named a display mode (width and height not
  // 0), which saving keeps when no entry is chosen. fieldsAsStored: the edit
  // fields whose keys were stored and whose values nobody has changed since;
  // their keys keep the stored text, which a field cannot always show again
  // (-1 reads as 4294967295, 3500.75 as 3500, 16777217 becomes 16777216).
  bool modeStored = false;
  std::set<ControlId> fieldsAsStored;

  bool operator==(const MainSettings&) const = default;
};

enum class MainFile { UserOptions, Engine };

enum class MainKind {
  DisplayMode,     // one of the three keys cut from the chosen resolution entry
  Level0To3,       // disabled, low, medium, high: stored as the position
  Level1To3,       // low, medium, high: stored as the position plus one
  ShaderModel,     // "1.4", "2.0", "3.0": stored with "_" in place of the point
  Filter,          // linear and four anisotropic filters: stored as the position
  Effects,         // disabled, bloom, horizontal blur: stored as the position
  Switch,          // disabled, enabled: "false", "true"
  VegetationWord,  // low, medium, high: "low", "med", "high"
  DetailWord,      // normal, high, ultra high: "normal", "high", "ultrahigh"
  Decimal,         // an edit field held as float, stored with one decimal
  Count,           // an edit field held as unsigned 32 bits, stored as "%i"
};

// The number of entries of a kind's list (that of MainTexts::list); 0 for
// the kinds without a fixed list.
std::size_t ListSize(MainKind kind);

using MainMember = std::variant<std::string MainSettings::*, int MainSettings::*, float MainSettings::*,
                                std::uint32_t MainSettings::*>;

// One key of the game's files and everything about it. Both defaults are
// texts that go through the kind's loading rule, exactly like a stored value.
struct MainRow {
  MainFile file;
  std::string_view section;
  std::string_view key;
  ControlId control;
  std::string_view labelKey;    // the label beside the control, also naming the field in a message
  std::string_view tooltipKey;  // the tooltip, to which the restore default is appended
  MainKind kind;
  MainMember member;
  std::string_view readDefault;     // what reading takes for a missing key
  std::string_view restoreDefault;  // what the restore button puts in, and the tooltip announces
};

// In the order the keys are written; the three display-mode rows give width,
// height and refresh rate in this order.
inline constexpr std::array<MainRow, 26> kMainRows{{
  // file               section           key                                          control                         label key                   tooltip key                    kind                     member                                    read     restore
  {MainFile::UserOptions, "Options.Video",  "Resolution.Width",                          ControlId::Resolution,          "TEXT_RESOLUTION",          "TOOLTIP_RESOLUTION",          MainKind::DisplayMode,    &MainSettings::resolution,                "0",      "1024"},
  {MainFile::UserOptions, "Options.Video",  "Resolution.Height",                         ControlId::Resolution,          "TEXT_RESOLUTION",          "TOOLTIP_RESOLUTION",          MainKind::DisplayMode,    &MainSettings::resolution,                "0",      "768"},
  {MainFile::UserOptions, "Options.Video",  "Resolution.RefreshRate",                    ControlId::Resolution,          "TEXT_RESOLUTION",          "TOOLTIP_RESOLUTION",          MainKind::DisplayMode,    &MainSettings::resolution,                "0",      "60"},
  {MainFile::UserOptions, "Options.Custom", "DistanceHigh",                              ControlId::ViewRangeHigh,       "TEXT_VIEWRANGEHIGH",       "TOOLTIP_VIEWRANGEHIGH",       MainKind::Level1To3,      &MainSettings::distanceHigh,              "1",      "2"},
  {MainFile::UserOptions, "Options.Custom", "DistanceLow",                               ControlId::ViewRangeLow,        "TEXT_VIEWRANGELOW",        "TOOLTIP_VIEWRANGELOW",        MainKind::Level0To3,      &MainSettings::distanceLow,               "1",      "2"},
  {MainFile::UserOptions, "Options.Custom", "ResourceCache",                             ControlId::ResourceCache,       "TEXT_RESOURCECACHE",       "TOOLTIP_RESOURCECACHE",       MainKind::Level1To3,      &MainSettings::resourceCache,             "1",      "2"},
  {MainFile::UserOptions, "Options.Custom", "ObjectDetails",                             ControlId::ObjectDetails,       "TEXT_OBJECTDETAILS",       "TOOLTIP_OBJECTDETAILS",       MainKind::Level1To3,      &MainSettings::objectDetails,             "1",      "2"},
  {MainFile::UserOptions, "Options.Custom", "ShaderQuality",                             ControlId::ShaderQuality,       "TEXT_SHADERQUALITY",       "TOOLTIP_SHADERQUALITY",       MainKind::ShaderModel,    &MainSettings::shaderQuality,             "1.4",    "2.0"},
  {MainFile::UserOptions, "Options.Custom", "TextureQuality",                            ControlId::TextureQuality,      "TEXT_TEXTUREQUALITY",      "TOOLTIP_TEXTUREQUALITY",      MainKind::Level1To3,      &MainSettings::textureQuality,            "1",      "2"},
  {MainFile::UserOptions, "Options.Custom", "TextureFilter",                             ControlId::TextureFilter,       "TEXT_TEXTUREFILTER",       "TOOLTIP_TEXTUREFILTER",       MainKind::Filter,         &MainSettings::textureFilter,             "1",      "1"},
  {MainFile::UserOptions, "Options.Custom", "VegetationQuality",                         ControlId::VegetationQuality,   "TEXT_VEGETATIONQUALITY",   "TOOLTIP_VEGETATIONQUALITY",   MainKind::Level1To3,      &MainSettings::vegetationQuality,         "1",      "1"},
  {MainFile::UserOptions, "Options.Custom", "ShadowQuality",                             ControlId::ShadowQuality,       "TEXT_SHADOWQUALITY",       "TOOLTIP_SHADOWQUALITY",       MainKind::Level0To3,      &MainSettings::shadowQuality,             "1",      "1"},
  {MainFile::UserOptions, "Options.Custom", "PostProcessing",                            ControlId::PostProcessing,      "TEXT_POSTPROCESSING",      "TOOLTIP_POSTPROCESSING",      MainKind::Effects,        &MainSettings::postProcessing,            "0",      "1"},
  {MainFile::Engine,      "Engine.Setup",   "Render.EnableVegetationRendering",          ControlId::Vegetation,          "TEXT_VEGETATION",          "TOOLTIP_VEGETATION",          MainKind::Switch,         &MainSettings::enableVegetationRendering, "false",  "true"},
  {MainFile::Engine,      "Engine.Setup",   "VegetationAdmin.Quality",                   ControlId::VegetationDetails,   "TEXT_VEGETATIONDETAILS",   "TOOLTIP_VEGETATIONDETAILS",   MainKind::VegetationWord, &MainSettings::vegetationAdminQuality,    "low",    "high"},
  {MainFile::Engine,      "Engine.Setup",   "VegetationAdmin.ViewRange",                 ControlId::VegetationViewRange, "TEXT_VEGETATIONVIEWRANGE", "TOOLTIP_VEGETATIONVIEWRANGE", MainKind::Decimal,        &MainSettings::vegetationAdminViewRange,  "0",      "3500.0"},
  {MainFile::Engine,      "Engine.Setup",   "Shader.EnableTreeShadows",                  ControlId::TreeShadows,         "TEXT_TREESHADOWS",         "TOOLTIP_TREESHADOWS",         MainKind::Switch,         &MainSettings::enableTreeShadows,         "false",  "true"},
  {MainFile::Engine,      "Engine.Setup",   "Shader.EnableStaticShadows",                ControlId::StaticShadows,       "TEXT_STATICSHADOWS",       "TOOLTIP_STATICSHADOWS",       MainKind::Switch,         &MainSettings::enableStaticShadows,       "false",  "true"},
  {MainFile::Engine,      "Engine.Setup",   "Shader.EnableDetailShadows",                ControlId::DetailedShadows,     "TEXT_DETAILEDSHADOWS",     "TOOLTIP_DETAILEDSHADOWS",     MainKind::Switch,         &MainSettings::enableDetailShadows,       "false",  "true"},
  {MainFile::Engine,      "Engine.Setup",   "AnimationBlending.PhysicControllerDistance", ControlId::PhysicsViewRange,   "TEXT_PHYSICSVIEWRANGE",    "TOOLTIP_PHYSICSVIEWRANGE",    MainKind::Decimal,        &MainSettings::physicControllerDistance,  "0",      "1200.0"},
  {MainFile::Engine,      "Engine.Setup",   "Animation.MaxRagDolls",                     ControlId::MaxRagdolls,         "TEXT_MAXRAGDOLLS",         "TOOLTIP_MAXRAGDOLLS",         MainKind::Count,          &MainSettings::maxRagDolls,               "0",      "999"},
  {MainFile::Engine,      "Engine.Setup",   "Entity.ROI",                                ControlId::RoiViewRange,        "TEXT_ROIVIEWRANGE",        "TOOLTIP_ROIVIEWRANGE",        MainKind::Decimal,        &MainSettings::entityRoi,                 "0",      "4000.0"},
  {MainFile::Engine,      "Engine.Setup",   "Render.EnableLowpolyRendering",             ControlId::LowPolygons,         "TEXT_LOWPOLYGONS",         "TOOLTIP_LOWPOLYGONS",         MainKind::Switch,         &MainSettings::enableLowpolyRendering,    "false",  "true"},
  {MainFile::Engine,      "Engine.Setup",   "Render.MeshLoDQuality",                     ControlId::MeshQuality,         "TEXT_MESHQUALITY",         "TOOLTIP_MESHQUALITY",         MainKind::DetailWord,     &MainSettings::meshLoDQuality,            "normal", "ultrahigh"},
  {MainFile::Engine,      "Engine.Setup",   "Render.AnimationLoDQuality",                ControlId::AnimationQuality,    "TEXT_ANIMATIONQUALITY",    "TOOLTIP_ANIMATIONQUALITY",    MainKind::DetailWord,     &MainSettings::animationLoDQuality,       "normal", "ultrahigh"},
  {MainFile::Engine,      "Engine.Setup",   "Render.ImageLoDQuality",                    ControlId::ImageQuality,        "TEXT_IMAGEQUALITY",        "TOOLTIP_IMAGEQUALITY",        MainKind::DetailWord,     &MainSettings::imageLoDQuality,           "normal", "ultrahigh"},
}};

// The label key of the setting a control shows, for the window's template;
// naming a control without a setting does not compile.
consteval std::string_view labelKeyOf(ControlId control) {
  for (const MainRow& row : kMainRows) {
    if (row.control == control) return row.labelKey;
  }
  throw "no setting is shown in this control";
}

// The first row of a control; nullptr for controls without a setting.
const MainRow* FindMainRow(ControlId control);

// The list position a row of a list kind binds.
int& PositionOf(MainSettings& settings, const MainRow& row);
int PositionOf(const MainSettings& settings, const MainRow& row);

// ---- entry texts ----

// The entry texts of the main window's lists in one language (the game's
// Windows-1252 bytes).
struct MainTexts {
  i18n::EntryTexts entries;
  std::array<std::string, 5> filters;  // linear, anisotropic, anisotropic 4x, 8x, 16x
  std::string bloom;
  std::string horizontalBlur;

  // Looked up in the translator's language.
  static MainTexts fromTranslator(const i18n::Translator& translator);

  // The entries of a kind's list in list order; empty for the display mode
  // (its list is the display modes) and for the edit fields.
  std::vector<std::string> list(MainKind kind) const;
};

// The English and the German texts, in this order, whatever the translator's language.
std::array<MainTexts, 2> MainTextsOfBothLanguages(const i18n::Translator& translator);

// ---- loading ----

// Reads the 26 keys (missing files and keys give the read defaults) and
// chooses the entries the window would choose. `resolutions` is the
// resolution list. A level or shader value that names no entry, and a stored
// display mode that is not listed, keep their choice in `previous`. Records
// modeStored and fieldsAsStored afresh.
MainSettings LoadMainSettings(const app::ConfigPaths& paths, const MainTexts& texts,
                              std::span<const std::string> resolutions, const MainSettings& previous);

// `settings` as the window holds it right after its lists were refilled: no
// list entry chosen; the resolution list is never refilled and keeps its choice.
MainSettings WithListsCleared(MainSettings settings);

// The display mode the user options file holds, as "WxH@RHz" of its three numbers.
std::string StoredResolutionText(const app::ConfigPaths& paths);

// ---- defaults ----

// Puts in the restore defaults by each kind's loading rule. The resolution
// becomes the listed 1024x768@60Hz entry, or stays as it was when that mode is
// not listed. The fields count as changed: saving writes the defaults. Writes
// nothing.
void RestoreMainDefaults(MainSettings& settings, const MainTexts& texts, std::span<const std::string> resolutions);

// The default a control's tooltip appends; nullopt for controls without a setting.
std::optional<std::string> TooltipDefault(ControlId control, const MainTexts& texts);

// ---- edit fields ----

// The text an edit field shows: whole digits, as the fields accept nothing else.
std::string FieldText(const MainSettings& settings, ControlId field);

// Takes the texts of the four edit fields in row order. A field still showing
// its FieldText is unchanged and keeps its value (and a stored one its stored
// text). At the first other text that is not a whole number the field can hold
// (digits only; a count must fit 32 bits), returns that field and leaves
// `settings` unchanged.
std::optional<ControlId> TakeFieldTexts(MainSettings& settings, const std::function<std::string(ControlId)>& textOf);

// ---- saving ----

// Chooses the first listed resolution when none is chosen and the files named
// no display mode, as saving does. A stored mode that is not listed (another
// monitor, another refresh rate, a display that lists one mode) is kept.
void EnsureResolutionChosen(MainSettings& settings, std::span<const std::string> resolutions);

// Writes the 26 keys in row order into both files, all or nothing as far as
// the system allows: both files' new contents are built and staged before
// either is replaced. A list without a chosen entry, a resolution without its
// "x", "@" and "H" (none chosen), and the fieldsAsStored leave their keys as
// stored. A file whose contents do not change is not touched. On failure the
// result names the file. With `loaded`, a key it owns that another program
// changed since fails the save as ChangedOutside (nothing written); a save
// that works remembers what the files hold afterwards.
config::Result SaveMainSettings(const app::ConfigPaths& paths, const MainSettings& settings,
                                config::LoadedKeys* loaded = nullptr);

// The 26 keys, for a window to remember as it loads them.
config::LoadedKeys MainLoadedKeys(const app::ConfigPaths& paths);

// ---- by name ----

// The name a setting goes by outside the window: its key, or "Resolution" for
// the three display-mode keys.
inline constexpr std::string_view kResolutionName = "Resolution";
std::string_view SettingName(const MainRow& row);

// The row of a setting name, compared without regard to case; nullptr when unknown.
const MainRow* FindMainSetting(std::string_view name);

using config::SetOutcome;

// Sets a setting from an entry text of any of `languages` (case ignored for
// every Windows-1252 letter), a whole number for an edit field, or "WxH@RHz"
// for the resolution; with a non-empty `resolutions`, the mode must be listed.
// Every other setting keeps its value, and a stored field its stored text.
SetOutcome SetMainSetting(MainSettings& settings, std::string_view name, std::string_view value,
                          std::span<const MainTexts> languages, std::span<const std::string> resolutions);

// A setting as the window shows it: an entry text ("" when none is chosen), a
// field's text, or the resolution entry.
std::string SettingText(const MainSettings& settings, const MainRow& row, const MainTexts& texts);

// Every setting as "Name=Value", in row order, the resolution once.
std::vector<std::string> ShowMainSettings(const MainSettings& settings, const MainTexts& texts);

}  // namespace valdor::main_window
