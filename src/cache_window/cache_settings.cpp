#include "cache_window/cache_settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "config/rows.h"
#include "config/formats.h"
#include "config/profile.h"
#include "config/numbers.h"
#include "config/text.h"
#include "config/value_words.h"
#include "i18n/file_messages.h"

namespace valdor::cache_window {

namespace {

constexpr std::size_t indexOf(CacheColumn column) { return static_cast<std::size_t>(column); }
constexpr std::size_t indexOf(CacheCategory category) { return static_cast<std::size_t>(category); }

constexpr bool coversEveryValueOnce() {
  std::array<int, kValueCount> seen{};
  for (const CacheRow& row : kCacheRows) {
    const std::size_t slot =
        row.field.column ? indexOf(*row.field.column) * kCategoryCount + indexOf(row.field.category) : kValueCount - 1;
    ++seen[slot];
  }
  return std::all_of(seen.begin(), seen.end(), [](int count) { return count == 1; });
}
static_assert(coversEveryValueOnce(), "one row for each of the 29 values");

// A scaled budget: truncated toward zero, then held within the 32 unsigned
// bits the game reads. Wrapping instead would turn a decrease beyond 100 %
// or an increase past 4 GiB into an arbitrary budget.
std::uint32_t scaledBudget(double product) {
  constexpr double kMax = std::numeric_limits<std::uint32_t>::max();
  if (!(product > 0)) return 0;  // a NaN from an overlong field as well
  if (product >= kMax) return std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(product);
}

}  // namespace

std::string& CacheSizes::value(CacheColumn column, CacheCategory category) {
  return values[indexOf(column)][indexOf(category)];
}

const std::string& CacheSizes::value(CacheColumn column, CacheCategory category) const {
  return values[indexOf(column)][indexOf(category)];
}

std::string& TextOf(CacheSizes& sizes, CacheField field) {
  return field.column ? sizes.value(*field.column, field.category) : sizes.texturesHigh;
}

const std::string& TextOf(const CacheSizes& sizes, CacheField field) {
  return field.column ? sizes.value(*field.column, field.category) : sizes.texturesHigh;
}

// ---- the tables ----

const CacheRow& RowOf(CacheField field) {
  return *config::findRow<CacheRow>(kCacheRows, &CacheRow::field, field);
}

const CacheColumnRow& ColumnRowOf(CacheColumn column) { return kCacheColumnRows[indexOf(column)]; }

const CacheRow* FindCacheKey(std::string_view key) {
  const auto found = std::find_if(kCacheRows.begin(), kCacheRows.end(),
                                  [key](const CacheRow& row) { return config::equalsIgnoreCase(row.key, key); });
  return found == kCacheRows.end() ? nullptr : &*found;
}

std::array<CacheField, kValueCount> WindowOrder() {
  std::array<CacheField, kValueCount> order{};
  std::size_t next = 0;
  for (CacheColumn column : kCacheColumns) {
    for (CacheCategory category : kCacheCategories) order[next++] = {column, category};
    if (column == CacheColumn::Common) order[next++] = kTexturesHigh;
  }
  return order;
}

// ---- readings of a text ----

std::uint32_t IntegerReading(std::string_view text) { return config::leadingWhole(text); }

double RealReading(std::string_view text) { return config::leadingDecimal(text); }

bool IsFieldInput(std::string_view text) { return text.empty() || config::isDigits(text); }

bool IsCacheNumber(std::string_view text) {
  // Leading zeros are kept as typed, so the value decides, not the length.
  return config::parseDigits(text, kMaxCacheBytes).has_value();
}

// ---- derived values ----

std::uint32_t ColumnTotal(const CacheSizes& sizes, CacheColumn column) {
  std::uint32_t total = 0;
  for (CacheCategory category : kCacheCategories) {
    total += IntegerReading(sizes.value(column, category));
  }
  return total;
}

std::optional<std::uint32_t> FinalCache(const CacheSizes& sizes, CacheColumn column) {
  if (column == CacheColumn::Common) return std::nullopt;
  return IntegerReading(sizes.texturesHigh) + ColumnTotal(sizes, column);
}

std::string FormatMegabytes(std::int64_t bytes) { return config::formatMegabytes(static_cast<double>(bytes)); }

std::string MegabytesOf(const CacheSizes& sizes, CacheField field) {
  return FormatMegabytes(IntegerReading(TextOf(sizes, field)));
}

CacheColumnFigures RecalcColumn(const CacheSizes& sizes, CacheColumn column) {
  CacheColumnFigures figures;
  for (CacheCategory category : kCacheCategories) {
    figures.megabytes[indexOf(category)] = MegabytesOf(sizes, {column, category});
  }
  figures.total = ColumnTotal(sizes, column);
  figures.totalMegabytes = FormatMegabytes(figures.total);
  figures.finalCache = FinalCache(sizes, column);
  if (figures.finalCache) figures.finalMegabytes = FormatMegabytes(*figures.finalCache);
  return figures;
}

CacheFigures RecalcAll(const CacheSizes& sizes) {
  CacheFigures figures;
  for (CacheColumn column : kCacheColumns) figures.columns[indexOf(column)] = RecalcColumn(sizes, column);
  figures.texturesHighMegabytes = MegabytesOf(sizes, kTexturesHigh);
  return figures;
}

// ---- scaling ----

void ScaleCacheColumn(CacheSizes& sizes, CacheColumn column, std::string_view percent, ScaleDirection direction) {
  // The factor is rounded twice, p x 0.01 first and then the sum or
  // difference, and the product is truncated, so 128000000 less 7 % is
  // 119039999. Separate statements keep a compiler from fusing the roundings.
  const double step = RealReading(percent) * 0.01;
  const double factor = direction == ScaleDirection::Increase ? 1.0 + step : 1.0 - step;
  for (CacheCategory category : kCacheCategories) {
    std::string& text = sizes.value(column, category);
    const double product = RealReading(text) * factor;
    text = std::to_string(scaledBudget(product));
  }
}

// ---- load, defaults, save ----

CacheSizes LoadCacheSizes(const std::filesystem::path& engineIni) {
  // One snapshot of the file; a file that cannot be read reads as empty.
  const std::string content = config::readProfileText(engineIni).value_or(std::string());
  CacheSizes sizes;
  for (const CacheRow& row : kCacheRows) {
    // The keys are unsigned budgets: a stored -1 is all 32 bits set, and
    // showing it signed would write it back signed on the next save.
    TextOf(sizes, row.field) = std::to_string(config::readProfileInt(content, row.section, row.key, 0));
  }
  return sizes;
}

CacheSizes DefaultCacheSizes() {
  CacheSizes sizes;
  for (const CacheRow& row : kCacheRows) TextOf(sizes, row.field) = std::string(row.defaultText);
  return sizes;
}

std::string CacheTooltip(const i18n::Translator& translator, CacheField field) {
  const CacheRow& row = RowOf(field);
  return config::ConcatText(translator.message(row.tooltipKey), row.defaultText);
}

std::string FieldName(const i18n::Translator& translator, CacheField field) {
  std::string label = i18n::labelName(translator, RowOf(field).labelKey);
  if (!field.column) return label;
  return translator.LookupText(ColumnRowOf(*field.column).captionKey) + ": " + label;
}

std::optional<CacheField> FirstInvalidValue(const CacheSizes& sizes) {
  for (CacheField field : WindowOrder()) {
    if (!IsCacheNumber(TextOf(sizes, field))) return field;
  }
  return std::nullopt;
}

config::LoadedKeys CacheLoadedKeys(const std::filesystem::path& engineIni) {
  config::LoadedKeys keys;
  for (const CacheRow& row : kCacheRows) keys.own(engineIni, row.section, row.key);
  return keys;
}

CacheSaveResult SaveCacheSizes(const CacheSizes& sizes, const std::filesystem::path& engineIni,
                               config::LoadedKeys* loaded) {
  // An empty field or a pasted word would otherwise land in the game's file
  // as a budget the engine cannot read.
  if (auto invalid = FirstInvalidValue(sizes)) {
    return {invalid, config::Result::failed(config::Failure::NotANumber, engineIni, std::string(RowOf(*invalid).key))};
  }
  config::ProfileEdit edit(engineIni);
  for (const CacheRow& row : kCacheRows) edit.set(row.section, row.key, TextOf(sizes, row.field));
  return {std::nullopt, config::saveGuarded({&edit}, loaded)};
}

}  // namespace valdor::cache_window
