#include "cli/cache_commands.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "cache_window/address_space.h"
#include "cache_window/cache_settings.h"
#include "cli/command_line.h"
#include "config/text.h"
#include "i18n/cp1252.h"
#include "i18n/file_messages.h"
#include "i18n/translator.h"

namespace valdor::cli {

namespace {

namespace cw = cache_window;

constexpr std::string_view kTotalPrefix = "Total.";
constexpr std::string_view kFinalCachePrefix = "FinalCache.";

std::string figureLine(std::string_view name, std::string_view bytes, std::string_view megabytes) {
  return std::string(name) + "=" + std::string(bytes) + " (" + std::string(megabytes) + ")";
}

// The window's tab order: a column's values, its total, then texturesHigh
// below the Common column or the final cache of a level.
std::vector<std::string> showLines(const cw::CacheSizes& sizes) {
  const cw::CacheFigures figures = cw::RecalcAll(sizes);
  std::vector<std::string> lines;
  for (cw::CacheColumn column : cw::kCacheColumns) {
    const auto& shown = figures.columns[static_cast<std::size_t>(column)];
    const std::string_view name = cw::ColumnRowOf(column).name;
    for (std::size_t i = 0; i < cw::kCategoryCount; ++i) {
      const cw::CacheField field{column, cw::kCacheCategories[i]};
      lines.push_back(figureLine(cw::RowOf(field).key, cw::TextOf(sizes, field), shown.megabytes[i]));
    }
    lines.push_back(figureLine(std::string(kTotalPrefix) + std::string(name), std::to_string(shown.total),
                               shown.totalMegabytes));
    if (shown.finalCache) {
      lines.push_back(figureLine(std::string(kFinalCachePrefix) + std::string(name),
                                 std::to_string(*shown.finalCache), shown.finalMegabytes));
    } else {
      lines.push_back(figureLine(cw::RowOf(cw::kTexturesHigh).key, sizes.texturesHigh, figures.texturesHighMegabytes));
    }
  }
  return lines;
}

std::string keyNames() {
  std::string names;
  for (cw::CacheField field : cw::WindowOrder()) {
    if (!names.empty()) names += ", ";
    names += cw::RowOf(field).key;
  }
  return names;
}

std::optional<cw::CacheColumn> findColumn(std::string_view name) {
  const auto found = std::find_if(cw::kCacheColumnRows.begin(), cw::kCacheColumnRows.end(),
                                  [name](const cw::CacheColumnRow& row) { return config::equalsIgnoreCase(row.name, name); });
  if (found == cw::kCacheColumnRows.end()) return std::nullopt;
  return found->column;
}

// What a value field takes: digits only, within 32 bits.
bool isFieldValue(std::string_view text) { return !text.empty() && cw::IsFieldInput(text) && cw::IsCacheNumber(text); }

int save(const app::ConfigPaths& paths, const cw::CacheSizes& sizes, const i18n::Translator& translator,
         std::ostream& err) {
  const auto result = cw::SaveCacheSizes(sizes, paths.engineIni);
  if (result.ok()) return kExitDone;
  const std::string field = result.invalid ? cw::FieldName(translator, *result.invalid) : std::string();
  err << i18n::failureMessage(translator, result.file, field) << "\n";
  return kExitFailed;
}

// The warnings go to err, so the KEY=VALUE lines stay the same for scripts.
int show(const app::ConfigPaths& paths, const i18n::Translator& translator, std::ostream& out, std::ostream& err) {
  const auto sizes = cw::LoadCacheSizes(paths.engineIni);
  for (const std::string& line : showLines(sizes)) out << line << "\n";
  const auto ceiling = cw::CeilingOf(paths.gameExecutable);
  for (cw::CacheColumn level : cw::kCacheLevels) {
    if (cw::PassesCeiling(sizes, level, ceiling)) err << cw::CeilingWarning(translator, sizes, level, *ceiling) << "\n";
  }
  return kExitDone;
}

int setValues(const app::ConfigPaths& paths, const std::vector<Assignment>& assignments,
              const i18n::Translator& translator, std::ostream& err) {
  auto sizes = cw::LoadCacheSizes(paths.engineIni);
  bool allTaken = true;
  for (const Assignment& assignment : assignments) {
    const cw::CacheRow* row = cw::FindCacheKey(assignment.key);
    if (!row) {
      err << "valdor3-tuning: unknown cache key '" << assignment.key << "'; the keys are: " << keyNames() << "\n";
      allTaken = false;
    } else if (!isFieldValue(assignment.value)) {
      err << "valdor3-tuning: " << row->key << " takes a number of bytes from 0 to " << cw::kMaxCacheBytes
          << " in digits only, not '" << assignment.value << "'\n";
      allTaken = false;
    } else {
      cw::TextOf(sizes, row->field) = assignment.value;  // leading zeros and all, as the field would hold it
    }
  }
  if (!allTaken) return kExitFailed;  // nothing is written unless every pair is taken
  return save(paths, sizes, translator, err);
}

int scale(const app::ConfigPaths& paths, std::string_view columnName, std::string_view percent,
          const i18n::Translator& translator, std::ostream& err) {
  const auto column = findColumn(columnName);
  if (!column) {
    err << "valdor3-tuning: unknown cache column '" << columnName << "'; the columns are: " << cacheColumnNames()
        << "\n";
    return kExitFailed;
  }
  // The sign stands for the window's two buttons; the digits are what its
  // percentage field would hold.
  auto direction = cw::ScaleDirection::Increase;
  std::string_view digits = percent;
  if (digits.starts_with('+') || digits.starts_with('-')) {
    if (digits.front() == '-') direction = cw::ScaleDirection::Decrease;
    digits.remove_prefix(1);
  }
  if (digits.empty() || !cw::IsFieldInput(digits)) {
    err << "valdor3-tuning: cache scale takes a whole percentage, +N or N to increase, -N to decrease, not '"
        << percent << "'\n";
    return kExitFailed;
  }
  auto sizes = cw::LoadCacheSizes(paths.engineIni);
  cw::ScaleCacheColumn(sizes, *column, digits, direction);
  return save(paths, sizes, translator, err);
}

int restoreDefaults(const app::ConfigPaths& paths, const i18n::Translator& translator, std::ostream& err) {
  return save(paths, cw::DefaultCacheSizes(), translator, err);
}

}  // namespace

std::string cacheColumnNames() {
  std::vector<std::string_view> names;
  for (const cw::CacheColumnRow& row : cw::kCacheColumnRows) names.push_back(row.name);
  return joinedNames(names);
}

std::string cacheUsage() {
  std::vector<std::string_view> levels;
  for (cw::CacheColumn level : cw::kCacheLevels) levels.push_back(cw::ColumnRowOf(level).name);
  return "The cache commands name each budget by its key in ve3.ini (case ignored) and show it as\n"
         "KEY=BYTES (MB); " + std::string(kTotalPrefix) + "COLUMN is a column's sum, " +
         std::string(kFinalCachePrefix) + "LEVEL (" + joinedNames(levels) + ") the\n"
         "level's total plus the high-texture budget. BYTES is digits only, up to " +
         std::to_string(cw::kMaxCacheBytes) + ".\n"
         "Nothing is written when a KEY, BYTES, COLUMN or PERCENT is not taken.\n";
}

int runCacheCommand(std::span<const std::string> args, const ProgramOptions& options, const app::SettingsStore& store,
                    std::ostream& out, std::ostream& err) {
  if (args.empty()) return badUsage(err, "cache needs show, set, scale or defaults");
  const std::string& verb = args[0];
  const auto rest = args.subspan(1);
  std::vector<Assignment> assignments;
  if (verb == "set") {
    auto parsed = parseAssignments(rest, "cache set", "BYTES", err);
    if (!parsed) return kExitBadUsage;
    assignments = std::move(*parsed);
  } else if (verb == "scale") {
    if (rest.size() != 2) return badUsage(err, "cache scale needs a column and a percentage");
  } else if (verb == "show" || verb == "defaults") {
    if (!rest.empty()) return badUsage(err, "cache " + verb + " takes no arguments");
  } else {
    return badUsage(err, "unknown command 'cache " + verb + "'");
  }

  const auto installation = knownInstallation(options, store, err);
  if (!installation) return kExitFailed;
  const auto& paths = installation->paths;
  const auto translator = translatorFor(options);
  if (verb == "show") return show(paths, translator, out, err);
  if (verb == "set") return setValues(paths, assignments, translator, err);
  if (verb == "scale") return scale(paths, rest[0], rest[1], translator, err);
  return restoreDefaults(paths, translator, err);
}

}  // namespace valdor::cli
