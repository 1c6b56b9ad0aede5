#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Reading (never writing) the text files in which Wine keeps a registry hive:
// key lines such as [Software\\Vendor\\Game] 1700000000 with doubled
// backslashes, value lines such as "Name"="text", strings escaped as in C with
// \xHHHH for UTF-16 code units beyond ASCII, and long lines continued after a
// trailing backslash.
namespace valdor::wine {

struct RegistryValueName {
  std::string_view key;   // below the hive's root, single backslashes: "Software\\Vendor"
  std::string_view name;  // the value's name; "" or "@" for the key's default value
};

// The string values asked for, in the order asked, as UTF-8: nullopt where the
// key or the value is missing or holds no string. Key and value names are
// compared without regard to case. One pass over the hive's text; a text over
// 64 MB is no hive and gives nothing.
std::vector<std::optional<std::string>> readRegistryStrings(std::string_view hive,
                                                            std::span<const RegistryValueName> wanted);

}  // namespace valdor::wine
