#include "config/list_search.h"

#include "config/text.h"

namespace valdor::config {

std::optional<std::size_t> findStringPrefix(std::span<const std::string> entries, std::string_view prefix,
                                            std::optional<std::size_t> after) {
  const std::size_t count = entries.size();
  const std::size_t start = after && *after < count ? (*after + 1) % count : 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t index = (start + i) % count;
    if (config::startsWithIgnoreCase(entries[index], prefix)) return index;
  }
  return std::nullopt;
}

}  // namespace valdor::config
