#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "cache_window/control_ids.h"
#include "config/file_io.h"
#include "config/loaded_keys.h"
#include "i18n/translator.h"

// The memory budgets of the game engine's resource caches without the window:
// the 29 value texts, the table that binds each to its key of ve3.ini, and the
// totals, final caches, megabyte texts and scaling the window shows.
namespace valdor::cache_window {

// Left to right in the window; the last three are the levels.
enum class CacheColumn { Common, Low, Medium, High };

// Top to bottom in the window.
enum class CacheCategory { Image, Mesh, Sound, Material, CollisionMesh, Animation, SpeedTree };

inline constexpr std::size_t kColumnCount = 4;
inline constexpr std::size_t kCategoryCount = 7;
inline constexpr std::size_t kValueCount = kColumnCount * kCategoryCount + 1;

inline constexpr std::array<CacheColumn, kColumnCount> kCacheColumns{CacheColumn::Common, CacheColumn::Low,
                                                                     CacheColumn::Medium, CacheColumn::High};
inline constexpr std::array<CacheColumn, 3> kCacheLevels{CacheColumn::Low, CacheColumn::Medium, CacheColumn::High};
inline constexpr std::array<CacheCategory, kCategoryCount> kCacheCategories{
    CacheCategory::Image,         CacheCategory::Mesh,      CacheCategory::Sound,    CacheCategory::Material,
    CacheCategory::CollisionMesh, CacheCategory::Animation, CacheCategory::SpeedTree};

// The 29 budgets in bytes, each held as the text its field shows: the text,
// not a number made from it, is what is saved.
struct CacheSizes {
  std::array<std::array<std::string, kCategoryCount>, kColumnCount> values;  // by column, then category
  std::string texturesHigh;  // the extra image budget at high texture quality

  std::string& value(CacheColumn column, CacheCategory category);
  const std::string& value(CacheColumn column, CacheCategory category) const;

  bool operator==(const CacheSizes&) const = default;
};

// One of the 29 values: a column's category, or texturesHigh (no column).
struct CacheField {
  std::optional<CacheColumn> column;
  CacheCategory category = CacheCategory::Image;

  bool operator==(const CacheField&) const = default;
};
inline constexpr CacheField kTexturesHigh{};

std::string& TextOf(CacheSizes& sizes, CacheField field);
const std::string& TextOf(const CacheSizes& sizes, CacheField field);

// ---- the tables ----

// One value and everything about it.
struct CacheRow {
  CacheField field;
  std::string_view section;
  std::string_view key;
  std::string_view defaultText;  // the restored value, and what the tooltip announces
  std::string_view tooltipKey;
  std::string_view labelKey;  // the field's label, which also names the field in a message
  ControlId valueField;
  ControlId megabyteLabel;
};

// In the order the keys are written, which is not the window's order: the
// categories go Image, Material, Mesh, Sound, ..., and texturesHigh is last.
inline constexpr std::array<CacheRow, kValueCount> kCacheRows{{
  // column, category                                         section           key                                                   default      tooltip key               label key               value field                          megabyte label
  {{CacheColumn::Common, CacheCategory::Image},         "Engine.Setup",   "Cache.SizeImage",                                    "128000000", "TOOLTIP_CACHEIMAGE",     "TEXT_CACHEIMAGE",     ControlId::CommonImage,         ControlId::CommonImageMegabytes},
  {{CacheColumn::Common, CacheCategory::Material},      "Engine.Setup",   "Cache.SizeMaterial",                                 "40000000",  "TOOLTIP_CACHEMATERIAL",  "TEXT_CACHEMATERIAL",  ControlId::CommonMaterial,      ControlId::CommonMaterialMegabytes},
  {{CacheColumn::Common, CacheCategory::Mesh},          "Engine.Setup",   "Cache.SizeMesh",                                     "70000000",  "TOOLTIP_CACHEMESH",      "TEXT_CACHEMESH",      ControlId::CommonMesh,          ControlId::CommonMeshMegabytes},
  {{CacheColumn::Common, CacheCategory::Sound},         "Engine.Setup",   "Cache.SizeSound",                                    "80000000",  "TOOLTIP_CACHESOUND",     "TEXT_CACHESOUND",     ControlId::CommonSound,         ControlId::CommonSoundMegabytes},
  {{CacheColumn::Common, CacheCategory::CollisionMesh}, "Engine.Setup",   "Cache.SizeCollisionMesh",                            "40000000",  "TOOLTIP_CACHECOLMESH",   "TEXT_CACHECOLMESH",   ControlId::CommonCollisionMesh, ControlId::CommonCollisionMeshMegabytes},
  {{CacheColumn::Common, CacheCategory::Animation},     "Engine.Setup",   "Cache.SizeAnimation",                                "40000000",  "TOOLTIP_CACHEANIMATION", "TEXT_CACHEANIMATION", ControlId::CommonAnimation,     ControlId::CommonAnimationMegabytes},
  {{CacheColumn::Common, CacheCategory::SpeedTree},     "Engine.Setup",   "Cache.SizeSpeedTree",                                "10000000",  "TOOLTIP_CACHESPEEDTREE", "TEXT_CACHESPEEDTREE", ControlId::CommonSpeedTree,     ControlId::CommonSpeedTreeMegabytes},
  {{CacheColumn::Low, CacheCategory::Image},            "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_Low",              "32000000",  "TOOLTIP_CACHEIMAGE",     "TEXT_CACHEIMAGE",     ControlId::LowImage,            ControlId::LowImageMegabytes},
  {{CacheColumn::Low, CacheCategory::Material},         "Option.Sliders", "ResourceCache.u32MaterialMaxMemUsage_Low",           "18000",     "TOOLTIP_CACHEMATERIAL",  "TEXT_CACHEMATERIAL",  ControlId::LowMaterial,         ControlId::LowMaterialMegabytes},
  {{CacheColumn::Low, CacheCategory::Mesh},             "Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_Low",               "30000000",  "TOOLTIP_CACHEMESH",      "TEXT_CACHEMESH",      ControlId::LowMesh,             ControlId::LowMeshMegabytes},
  {{CacheColumn::Low, CacheCategory::Sound},            "Option.Sliders", "ResourceCache.u32SoundMaxMemUsage_Low",              "10000000",  "TOOLTIP_CACHESOUND",     "TEXT_CACHESOUND",     ControlId::LowSound,            ControlId::LowSoundMegabytes},
  {{CacheColumn::Low, CacheCategory::CollisionMesh},    "Option.Sliders", "ResourceCache.u32CollisionMeshMaxMemUsage_Low",      "13000000",  "TOOLTIP_CACHECOLMESH",   "TEXT_CACHECOLMESH",   ControlId::LowCollisionMesh,    ControlId::LowCollisionMeshMegabytes},
  {{CacheColumn::Low, CacheCategory::Animation},        "Option.Sliders", "ResourceCache.u32AnimationMaxMemUsage_Low",          "25000000",  "TOOLTIP_CACHEANIMATION", "TEXT_CACHEANIMATION", ControlId::LowAnimation,        ControlId::LowAnimationMegabytes},
  {{CacheColumn::Low, CacheCategory::SpeedTree},        "Option.Sliders", "ResourceCache.u32SpeedTreeMaxMemUsage_Low",          "500000",    "TOOLTIP_CACHESPEEDTREE", "TEXT_CACHESPEEDTREE", ControlId::LowSpeedTree,        ControlId::LowSpeedTreeMegabytes},
  {{CacheColumn::Medium, CacheCategory::Image},         "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_Medium",           "70000000",  "TOOLTIP_CACHEIMAGE",     "TEXT_CACHEIMAGE",     ControlId::MediumImage,         ControlId::MediumImageMegabytes},
  {{CacheColumn::Medium, CacheCategory::Material},      "Option.Sliders", "ResourceCache.u32MaterialMaxMemUsage_Medium",        "20000",     "TOOLTIP_CACHEMATERIAL",  "TEXT_CACHEMATERIAL",  ControlId::MediumMaterial,      ControlId::MediumMaterialMegabytes},
  {{CacheColumn::Medium, CacheCategory::Mesh},          "Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_Medium",            "40000000",  "TOOLTIP_CACHEMESH",      "TEXT_CACHEMESH",      ControlId::MediumMesh,          ControlId::MediumMeshMegabytes},
  {{CacheColumn::Medium, CacheCategory::Sound},         "Option.Sliders", "ResourceCache.u32SoundMaxMemUsage_Medium",           "15000000",  "TOOLTIP_CACHESOUND",     "TEXT_CACHESOUND",     ControlId::MediumSound,         ControlId::MediumSoundMegabytes},
  {{CacheColumn::Medium, CacheCategory::CollisionMesh}, "Option.Sliders", "ResourceCache.u32CollisionMeshMaxMemUsage_Medium",   "16000000",  "TOOLTIP_CACHECOLMESH",   "TEXT_CACHECOLMESH",   ControlId::MediumCollisionMesh, ControlId::MediumCollisionMeshMegabytes},
  {{CacheColumn::Medium, CacheCategory::Animation},     "Option.Sliders", "ResourceCache.u32AnimationMaxMemUsage_Medium",       "30000000",  "TOOLTIP_CACHEANIMATION", "TEXT_CACHEANIMATION", ControlId::MediumAnimation,     ControlId::MediumAnimationMegabytes},
  {{CacheColumn::Medium, CacheCategory::SpeedTree},     "Option.Sliders", "ResourceCache.u32SpeedTreeMaxMemUsage_Medium",       "750000",    "TOOLTIP_CACHESPEEDTREE", "TEXT_CACHESPEEDTREE", ControlId::MediumSpeedTree,     ControlId::MediumSpeedTreeMegabytes},
  {{CacheColumn::High, CacheCategory::Image},           "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_High",             "96000000",  "TOOLTIP_CACHEIMAGE",     "TEXT_CACHEIMAGE",     ControlId::HighImage,           ControlId::HighImageMegabytes},
  {{CacheColumn::High, CacheCategory::Material},        "Option.Sliders", "ResourceCache.u32MaterialMaxMemUsage_High",          "21000",     "TOOLTIP_CACHEMATERIAL",  "TEXT_CACHEMATERIAL",  ControlId::HighMaterial,        ControlId::HighMaterialMegabytes},
  {{CacheColumn::High, CacheCategory::Mesh},            "Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_High",              "96000000",  "TOOLTIP_CACHEMESH",      "TEXT_CACHEMESH",      ControlId::HighMesh,            ControlId::HighMeshMegabytes},
  {{CacheColumn::High, CacheCategory::Sound},           "Option.Sliders", "ResourceCache.u32SoundMaxMemUsage_High",             "20000000",  "TOOLTIP_CACHESOUND",     "TEXT_CACHESOUND",     ControlId::HighSound,           ControlId::HighSoundMegabytes},
  {{CacheColumn::High, CacheCategory::CollisionMesh},   "Option.Sliders", "ResourceCache.u32CollisionMeshMaxMemUsage_High",     "18000000",  "TOOLTIP_CACHECOLMESH",   "TEXT_CACHECOLMESH",   ControlId::HighCollisionMesh,   ControlId::HighCollisionMeshMegabytes},
  {{CacheColumn::High, CacheCategory::Animation},       "Option.Sliders", "ResourceCache.u32AnimationMaxMemUsage_High",         "40000000",  "TOOLTIP_CACHEANIMATION", "TEXT_CACHEANIMATION", ControlId::HighAnimation,       ControlId::HighAnimationMegabytes},
  {{CacheColumn::High, CacheCategory::SpeedTree},       "Option.Sliders", "ResourceCache.u32SpeedTreeMaxMemUsage_High",         "1000000",   "TOOLTIP_CACHESPEEDTREE", "TEXT_CACHESPEEDTREE", ControlId::HighSpeedTree,       ControlId::HighSpeedTreeMegabytes},
  {kTexturesHigh,                                       "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh", "350000000", "TOOLTIP_CACHETEXTURES",  "TEXT_CACHETEXTURES",  ControlId::TexturesHigh,        ControlId::TexturesHighMegabytes},
}};

// The controls of one column below its seven values.
struct CacheColumnRow {
  CacheColumn column;
  std::string_view name;        // as in the level keys ("_Low"); the command line's column name
  std::string_view captionKey;  // the column's group box
  ControlId totalField;
  ControlId totalMegabytes;
  ControlId percentField;
  ControlId increaseButton;
  ControlId decreaseButton;
  ControlId finalField;      // None for Common, which has no final cache
  ControlId finalMegabytes;  // None for Common
};

inline constexpr std::array<CacheColumnRow, kColumnCount> kCacheColumnRows{{
  // column             name      caption key                  total                   total megabytes                    percent                   "+"                         "-"                         final cache             final megabytes
  {CacheColumn::Common, "Common", "TEXT_COMMON",              ControlId::CommonTotal, ControlId::CommonTotalMegabytes, ControlId::CommonPercent, ControlId::CommonIncrease, ControlId::CommonDecrease, ControlId::None,        ControlId::None},
  {CacheColumn::Low,    "Low",    "TEXT_RESOURCECACHELOW",    ControlId::LowTotal,    ControlId::LowTotalMegabytes,    ControlId::LowPercent,    ControlId::LowIncrease,    ControlId::LowDecrease,    ControlId::LowFinal,    ControlId::LowFinalMegabytes},
  {CacheColumn::Medium, "Medium", "TEXT_RESOURCECACHEMEDIUM", ControlId::MediumTotal, ControlId::MediumTotalMegabytes, ControlId::MediumPercent, ControlId::MediumIncrease, ControlId::MediumDecrease, ControlId::MediumFinal, ControlId::MediumFinalMegabytes},
  {CacheColumn::High,   "High",   "TEXT_RESOURCECACHEHIGH",   ControlId::HighTotal,   ControlId::HighTotalMegabytes,   ControlId::HighPercent,   ControlId::HighIncrease,   ControlId::HighDecrease,   ControlId::HighFinal,   ControlId::HighFinalMegabytes},
}};

const CacheRow& RowOf(CacheField field);
const CacheColumnRow& ColumnRowOf(CacheColumn column);

// The label key of a value field and the caption key of a column's group box,
// for the window's template; naming a control without a value does not compile.
consteval std::string_view labelKeyOf(ControlId valueField) {
  for (const CacheRow& row : kCacheRows) {
    if (row.valueField == valueField) return row.labelKey;
  }
  throw "no value is shown in this control";
}
consteval std::string_view captionKeyOf(CacheColumn column) {
  for (const CacheColumnRow& row : kCacheColumnRows) {
    if (row.column == column) return row.captionKey;
  }
  throw "no such column";
}

// The row of a key name, compared without regard to case; nullptr when unknown.
const CacheRow* FindCacheKey(std::string_view key);

// The 29 values in the window's tab order: each column's seven values top to
// bottom, texturesHigh right after the Common column.
std::array<CacheField, kValueCount> WindowOrder();

// ---- readings of a text ----

// Leading white space, an optional sign, then decimal digits up to the first
// other character; no digits give 0. The budgets are unsigned 32-bit, so a
// "-" gives the two's complement ("-1" is 4294967295) and digits beyond the
// 32-bit range wrap modulo 2^32, as the game's integer read of its files does.
std::uint32_t IntegerReading(std::string_view text);

// The longest leading decimal floating-point number (white space and a sign
// allowed before it), in the C locale whatever the user's; none gives 0.0.
double RealReading(std::string_view text);

// What a value or percentage field lets the user type or paste: digits only
// (empty while the user types).
bool IsFieldInput(std::string_view text);

// The largest budget a value field takes: all 32 bits set.
inline constexpr std::uint32_t kMaxCacheBytes = std::numeric_limits<std::uint32_t>::max();

// What saving accepts: decimal digits naming a budget from 0 to 4294967295.
// Leading zeros stay as typed.
bool IsCacheNumber(std::string_view text);

// ---- derived values ----

// The unsigned sum of the column's seven integer readings, wrapping modulo 2^32.
std::uint32_t ColumnTotal(const CacheSizes& sizes, CacheColumn column);

// texturesHigh's integer reading plus the level's total, wrapping modulo
// 2^32; nullopt for Common.
std::optional<std::uint32_t> FinalCache(const CacheSizes& sizes, CacheColumn column);

// "%.2lf MB" of bytes / 1048576, an exact half rounded away from zero, a
// negative value keeping its sign.
std::string FormatMegabytes(std::int64_t bytes);

// The megabyte text of a value's integer reading.
std::string MegabytesOf(const CacheSizes& sizes, CacheField field);

// What one column shows beside and below its seven value fields.
struct CacheColumnFigures {
  std::array<std::string, kCategoryCount> megabytes;  // of each value, top to bottom
  std::uint32_t total = 0;
  std::string totalMegabytes;
  std::optional<std::uint32_t> finalCache;  // levels only
  std::string finalMegabytes;               // empty for Common
};

// One column's figures: after an edit in that column, and after scaling it.
CacheColumnFigures RecalcColumn(const CacheSizes& sizes, CacheColumn column);

struct CacheFigures {
  std::array<CacheColumnFigures, kColumnCount> columns;
  std::string texturesHighMegabytes;
};

// Every figure: on opening, after restoring the defaults and after a change of
// texturesHigh (which changes the three final caches and its own megabytes).
CacheFigures RecalcAll(const CacheSizes& sizes);

// ---- scaling ----

enum class ScaleDirection { Increase, Decrease };

// Multiplies the column's seven values by 1 + p/100 (or 1 - p/100), p the real
// reading of `percent`, truncates and rewrites them as plain unsigned decimals;
// a result below 0 becomes 0 and one beyond 32 bits 4294967295. Nothing else
// changes.
void ScaleCacheColumn(CacheSizes& sizes, CacheColumn column, std::string_view percent, ScaleDirection direction);

// ---- load, defaults, save ----

// Reads the 29 keys as unsigned 32-bit integers (a stored "-1" gives
// "4294967295"); a missing or unreadable file or key gives "0".
CacheSizes LoadCacheSizes(const std::filesystem::path& engineIni);

// The default table, each value as its decimal text.
CacheSizes DefaultCacheSizes();

// The tooltip of a value field: its text with line breaks, then its default.
std::string CacheTooltip(const i18n::Translator& translator, CacheField field);

// A field's name for a message: its column's caption and its label, without
// the label's colon ("resource cache - low: image"); texturesHigh by its label.
std::string FieldName(const i18n::Translator& translator, CacheField field);

// The first value, in the window's order, that saving refuses.
std::optional<CacheField> FirstInvalidValue(const CacheSizes& sizes);

struct CacheSaveResult {
  std::optional<CacheField> invalid;  // a value that is not a number: nothing was written
  config::Result file;                // the write's outcome, naming the file (NotANumber with `invalid`)

  bool ok() const { return !invalid && file.ok(); }
};

// Writes the 29 texts unchanged in table order with one atomic replacement of
// the file (the same bytes as writing them one by one), or nothing at all when
// a value is not a number or the file cannot be written. With `loaded`, a
// budget that another program changed since fails the save as ChangedOutside
// (nothing written); a save that works remembers what the file holds then.
CacheSaveResult SaveCacheSizes(const CacheSizes& sizes, const std::filesystem::path& engineIni,
                               config::LoadedKeys* loaded = nullptr);

// The 29 budgets' keys, for a window to remember as it loads them.
config::LoadedKeys CacheLoadedKeys(const std::filesystem::path& engineIni);

}  // namespace valdor::cache_window
