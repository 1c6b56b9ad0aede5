#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace valdor::config {

// The list search of the platform's combo box: the first entry that begins with
// prefix, ignoring case, starting after entry `after` and wrapping round to
// the beginning (nullopt for `after` searches from the first entry).
std::optional<std::size_t> findStringPrefix(std::span<const std::string> entries, std::string_view prefix,
                                            std::optional<std::size_t> after = std::nullopt);

}  // namespace valdor::config
