#include "main_window/display_modes.h"

#include <cmath>

#include "config/list_search.h"
#include "config/formats.h"
#include "config/numbers.h"

namespace valdor::main_window {

std::string entryText(std::int64_t width, std::int64_t height, std::int64_t refreshRate) {
  return config::formatInt(width) + "x" + config::formatInt(height) + "@" + config::formatInt(refreshRate) + "Hz";
}

std::optional<EntryParts> splitEntryText(std::string_view text) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const std::size_t at = text.find('@', x + 1);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t h = text.find('H', at + 1);
  if (h == std::string_view::npos) return std::nullopt;
  return EntryParts{text.substr(0, x), text.substr(x + 1, at - x - 1), text.substr(at + 1, h - at - 1)};
}

std::vector<std::string> FillDisplayModes(const platform::DisplayModeSource& source) {
  // Sorted here as well, whatever the source: the same text twice would
  // leave the stored mode found at one copy and shown at another.
  std::vector<std::string> entries;
  for (const platform::DisplayMode& mode : platform::ascendingUnique(source.modes())) {
    if (mode.width >= kMinimumModeWidth) entries.push_back(entryText(mode.width, mode.height, mode.refreshRate));
  }
  return entries;
}

std::optional<std::string_view> aspectRatioOf(std::string_view entryText) {
  // Only the "x" and the "@" are needed here; the "H" matters to saving.
  const std::size_t x = entryText.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const std::size_t at = entryText.find('@', x + 1);
  if (at == std::string_view::npos) return std::nullopt;

  // The width in single and the height in double precision, and the limits
  // single-precision values compared with the double ratio: so 1400x1000,
  // exactly 1.4, is wider than 1.4f and counts as 16:10, as it always has.
  const float width = static_cast<float>(config::leadingDecimal(entryText.substr(0, x)));
  const double height = config::leadingDecimal(entryText.substr(x + 1, at - x - 1));
  if (!(width > 0.0f) || !(height > 0.0)) return std::nullopt;
  const double ratio = static_cast<double>(width) / height;
  if (!std::isfinite(ratio)) return std::nullopt;

  if (ratio <= 1.25) return "5:4";
  if (ratio <= static_cast<double>(1.4f)) return "4:3";
  if (ratio <= static_cast<double>(1.6f)) return "16:10";
  return "16:9";
}

std::optional<std::string_view> UpdateAspectRatio(std::span<const std::string> entries,
                                                  std::optional<std::size_t> chosen) {
  if (!chosen || *chosen >= entries.size()) return std::nullopt;
  return aspectRatioOf(entries[*chosen]);
}

std::optional<std::size_t> chooseEntry(std::span<const std::string> entries, std::string_view text,
                                       std::optional<std::size_t> current) {
  // Every entry and every searched text ends with "Hz", so the prefix search
  // finds only an entry equal to the text, case aside.
  const auto found = config::findStringPrefix(entries, text, std::size_t{0});
  return found ? found : current;
}

}  // namespace valdor::main_window
