#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cache_window/cache_settings.h"
#include "i18n/translator.h"

// The game is a 32-bit program: its caches, its code and everything else it
// holds share an address space of 2 GB, or 4 GB when its executable is marked
// large-address-aware. A final cache that takes too much of it lets the game
// crash without a hint why; these say so. Nothing is ever refused for it.
namespace valdor::cache_window {

inline constexpr std::uint64_t kGigabyte = std::uint64_t{1} << 30;

// The IMAGE_FILE_LARGE_ADDRESS_AWARE bit of a PE image's characteristics.
inline constexpr std::uint16_t kLargeAddressAware = 0x0020;

// Whether a 32-bit x86 PE image is large-address-aware, from the image's first
// bytes (at least up to its COFF header); nullopt when they are no such image:
// no "MZ", a header offset outside the bytes, no "PE\0\0", another machine.
std::optional<bool> IsLargeAddressAware(std::span<const unsigned char> image);

// The same from the file; nullopt when it is missing or unreadable too.
std::optional<bool> ReadLargeAddressAware(const std::filesystem::path& executable);

// The address space of the game's process: 4 GB when large-address-aware (a
// 32-bit process gets that much on 64-bit Windows and under Wine), else 2 GB.
std::uint64_t AddressSpace(bool largeAddressAware);

struct MemoryCeiling {
  std::uint64_t addressSpace = 0;
  std::uint64_t limit = 0;  // the final cache above which a level is marked
};

// Half of the address space. The caches are not all the game holds: its code
// and DLLs, the graphics driver's mappings (a managed texture also keeps a
// copy in system memory), the game's own world, script and sound data, and
// the holes a long session fragments the heap into all live in the same
// space, and a 32-bit process fails long before the whole of it is in use.
MemoryCeiling CeilingFor(std::uint64_t addressSpace);

// The ceiling for the game of an executable; nullopt (no warning at all)
// when the executable is missing, unreadable, damaged or not a 32-bit image.
std::optional<MemoryCeiling> CeilingOf(const std::filesystem::path& executable);

// A level's final cache as the game fills it: texturesHigh and the level's
// seven budgets added up without the 32-bit wrap the window's figure has, so
// budgets that wrap around still count in full.
std::uint64_t FinalCacheBytes(const CacheSizes& sizes, CacheColumn level);

// Whether a level's final cache passes the ceiling; never without one or for Common.
bool PassesCeiling(const CacheSizes& sizes, CacheColumn level, const std::optional<MemoryCeiling>& ceiling);

inline constexpr std::string_view kCeilingTooltip = "TOOLTIP_MEMORYCEILING";

// The tooltip paragraph of a marked final cache (Windows-1252, like every table text).
std::string CeilingTooltip(const i18n::Translator& translator, const MemoryCeiling& ceiling);

// The command line's warning about a level (UTF-8).
std::string CeilingWarning(const i18n::Translator& translator, const CacheSizes& sizes, CacheColumn level,
                           const MemoryCeiling& ceiling);

}  // namespace valdor::cache_window
