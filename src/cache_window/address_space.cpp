#include "cache_window/address_space.h"

#include <array>
#include <cstddef>
#include <fstream>

#include "i18n/cp1252.h"

namespace valdor::cache_window {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kHeaderOffsetAt = 0x3C;  // e_lfanew in the DOS header
constexpr std::size_t kDosHeaderSize = 0x40;
constexpr std::uint16_t kMachineI386 = 0x014C;
// "PE\0\0", then the COFF header: Machine at 0, Characteristics at 18.
constexpr std::size_t kMachineAt = 4;
constexpr std::size_t kCharacteristicsAt = 4 + 18;
constexpr std::size_t kSignatureAndCoffSize = 4 + 20;

std::uint16_t word(std::span<const unsigned char> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t doubleWord(std::span<const unsigned char> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(word(bytes, at)) | (static_cast<std::uint32_t>(word(bytes, at + 2)) << 16);
}

std::optional<bool> fromHeaders(std::span<const unsigned char> pe) {
  if (pe.size() < kSignatureAndCoffSize) return std::nullopt;
  if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) return std::nullopt;
  // A 64-bit game has no 32-bit ceiling; any other machine is not the game.
  if (word(pe, kMachineAt) != kMachineI386) return std::nullopt;
  return (word(pe, kCharacteristicsAt) & kLargeAddressAware) != 0;
}

bool hasDosHeader(std::span<const unsigned char> bytes) {
  return bytes.size() >= kDosHeaderSize && bytes[0] == 'M' && bytes[1] == 'Z';
}

std::string gigabytes(std::uint64_t bytes) { return std::to_string(bytes / kGigabyte) + " GB"; }

// Eight budgets of at most 4 GB each stay far inside the signed range.
std::string megabytes(std::uint64_t bytes) { return FormatMegabytes(static_cast<std::int64_t>(bytes)); }

}  // namespace

std::optional<bool> IsLargeAddressAware(std::span<const unsigned char> image) {
  if (!hasDosHeader(image)) return std::nullopt;
  const std::uint64_t offset = doubleWord(image, kHeaderOffsetAt);
  if (offset > image.size()) return std::nullopt;
  return fromHeaders(image.subspan(static_cast<std::size_t>(offset)));
}

std::optional<bool> ReadLargeAddressAware(const fs::path& executable) {
  std::ifstream in(executable, std::ios::binary);
  if (!in) return std::nullopt;
  std::array<unsigned char, kDosHeaderSize> dos{};
  if (!in.read(reinterpret_cast<char*>(dos.data()), dos.size())) return std::nullopt;
  if (!hasDosHeader(dos)) return std::nullopt;
  // Only the two headers are read: the executable may be tens of megabytes.
  std::array<unsigned char, kSignatureAndCoffSize> pe{};
  in.seekg(static_cast<std::streamoff>(doubleWord(dos, kHeaderOffsetAt)));
  if (!in || !in.read(reinterpret_cast<char*>(pe.data()), pe.size())) return std::nullopt;
  return fromHeaders(pe);
}

std::uint64_t AddressSpace(bool largeAddressAware) { return (largeAddressAware ? 4 : 2) * kGigabyte; }

MemoryCeiling CeilingFor(std::uint64_t addressSpace) { return {addressSpace, addressSpace / 2}; }

std::optional<MemoryCeiling> CeilingOf(const fs::path& executable) {
  const auto aware = ReadLargeAddressAware(executable);
  if (!aware) return std::nullopt;
  return CeilingFor(AddressSpace(*aware));
}

std::uint64_t FinalCacheBytes(const CacheSizes& sizes, CacheColumn level) {
  std::uint64_t bytes = IntegerReading(sizes.texturesHigh);
  for (CacheCategory category : kCacheCategories) bytes += IntegerReading(sizes.value(level, category));
  return bytes;
}

bool PassesCeiling(const CacheSizes& sizes, CacheColumn level, const std::optional<MemoryCeiling>& ceiling) {
  if (!ceiling || level == CacheColumn::Common) return false;
  return FinalCacheBytes(sizes, level) > ceiling->limit;
}

std::string CeilingTooltip(const i18n::Translator& translator, const MemoryCeiling& ceiling) {
  return i18n::utf8ToCp1252(translator.format(kCeilingTooltip, {{"limit", megabytes(ceiling.limit)},
                                                                         {"space", gigabytes(ceiling.addressSpace)}}));
}

std::string CeilingWarning(const i18n::Translator& translator, const CacheSizes& sizes, CacheColumn level,
                           const MemoryCeiling& ceiling) {
  return translator.format("MESSAGE_MEMORYCEILING", {{"level", std::string(ColumnRowOf(level).name)},
                                                     {"size", megabytes(FinalCacheBytes(sizes, level))},
                                                     {"limit", megabytes(ceiling.limit)},
                                                     {"space", gigabytes(ceiling.addressSpace)}});
}

}  // namespace valdor::cache_window
