#include "cache_window/address_space.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/pe_image.h"
#include "support/temp_dir.h"

namespace valdor::cache_window {
namespace {

using Bytes = std::vector<unsigned char>;
using test::kPeAt;
using test::putWord;

Bytes image(std::uint16_t characteristics, std::uint16_t machine = test::kMachineI386) {
  return test::peImage(characteristics, machine);
}

constexpr std::uint16_t kPlain = test::kPlainImage;
constexpr std::uint16_t kAware = test::kAwareImage;

std::string text(const Bytes& bytes) { return test::bytesText(bytes); }

// ---- the flag ----

TEST(AddressSpace, FlagIsReadFromTheCoffCharacteristics) {
  EXPECT_EQ(IsLargeAddressAware(image(kPlain)), false);
  EXPECT_EQ(IsLargeAddressAware(image(kAware)), true);
  EXPECT_EQ(AddressSpace(false), 2 * kGigabyte);
  EXPECT_EQ(AddressSpace(true), 4 * kGigabyte);
}

TEST(AddressSpace, DamagedOrForeignImagesGiveNothing) {
  Bytes truncated = image(kAware);
  truncated.resize(kPeAt + 20);  // cut inside the COFF header
  EXPECT_EQ(IsLargeAddressAware(truncated), std::nullopt);

  Bytes outside = image(kAware);
  putWord(outside, 0x3C, 0x4000);
  EXPECT_EQ(IsLargeAddressAware(outside), std::nullopt);
  putWord(outside, 0x3E, 0xFFFF);  // e_lfanew beyond 4 GB
  putWord(outside, 0x3C, 0xFFFF);
  EXPECT_EQ(IsLargeAddressAware(outside), std::nullopt);

  Bytes signature = image(kAware);
  signature[kPeAt + 1] = 'X';
  EXPECT_EQ(IsLargeAddressAware(signature), std::nullopt);

  Bytes noDos = image(kAware);
  noDos[0] = 'Z';
  EXPECT_EQ(IsLargeAddressAware(noDos), std::nullopt);

  // A 64-bit build has no 32-bit ceiling, whatever its flag says.
  EXPECT_EQ(IsLargeAddressAware(image(kAware, test::kMachineAmd64)), std::nullopt);
  EXPECT_EQ(IsLargeAddressAware(Bytes{}), std::nullopt);
}

TEST(AddressSpace, FileGivesTheSameAndNothingWhenMissingEmptyOrCut) {
  test::TempDir dir;
  EXPECT_EQ(ReadLargeAddressAware(dir.write("plain.exe", text(image(kPlain)))), false);
  EXPECT_EQ(ReadLargeAddressAware(dir.write("aware.exe", text(image(kAware)))), true);
  EXPECT_EQ(ReadLargeAddressAware(dir / "missing.exe"), std::nullopt);
  EXPECT_EQ(ReadLargeAddressAware(dir.write("placeholder.exe", "")), std::nullopt);
  EXPECT_EQ(ReadLargeAddressAware(dir.write("cut.exe", text(image(kAware)).substr(0, kPeAt + 10))), std::nullopt);
  Bytes outside = image(kAware);
  putWord(outside, 0x3C, 0x4000);
  EXPECT_EQ(ReadLargeAddressAware(dir.write("outside.exe", text(outside))), std::nullopt);
  EXPECT_EQ(ReadLargeAddressAware(dir.path()), std::nullopt);  // a folder

  EXPECT_EQ(CeilingOf(dir / "plain.exe")->limit, kGigabyte);
  EXPECT_EQ(CeilingOf(dir / "aware.exe")->limit, 2 * kGigabyte);
  EXPECT_FALSE(CeilingOf(dir / "placeholder.exe"));
}

// ---- the ceiling ----

CacheSizes levelsOf(std::string texturesHigh, std::string highImage) {
  CacheSizes sizes;
  for (auto& column : sizes.values) column.fill("0");
  sizes.texturesHigh = std::move(texturesHigh);
  sizes.value(CacheColumn::High, CacheCategory::Image) = std::move(highImage);
  sizes.value(CacheColumn::Common, CacheCategory::Image) = "4294967295";
  return sizes;
}

TEST(AddressSpace, OnlyALevelPastTheCeilingPasses) {
  const auto ceiling = CeilingFor(AddressSpace(false));
  const CacheSizes atLimit = levelsOf("536870912", "536870912");  // 1024 MB exactly
  EXPECT_FALSE(PassesCeiling(atLimit, CacheColumn::High, ceiling));
  const CacheSizes past = levelsOf("536870912", "536870913");
  EXPECT_TRUE(PassesCeiling(past, CacheColumn::High, ceiling));
  EXPECT_FALSE(PassesCeiling(past, CacheColumn::Low, ceiling));
  EXPECT_FALSE(PassesCeiling(past, CacheColumn::High, CeilingFor(AddressSpace(true))));
  EXPECT_FALSE(PassesCeiling(past, CacheColumn::High, std::nullopt));
  // Common has no final cache, however large its budgets.
  EXPECT_FALSE(PassesCeiling(past, CacheColumn::Common, ceiling));
}

TEST(AddressSpace, BudgetsThatWrapTheWindowsFigureStillCountInFull) {
  // 4294967295 + 2 shows as 1 in the window, but each cache fills its budget.
  const CacheSizes wrapped = levelsOf("4294967295", "2");
  EXPECT_EQ(FinalCache(wrapped, CacheColumn::High), 1u);
  EXPECT_EQ(FinalCacheBytes(wrapped, CacheColumn::High), 4294967297u);
  EXPECT_TRUE(PassesCeiling(wrapped, CacheColumn::High, CeilingFor(AddressSpace(true))));
}

}  // namespace
}  // namespace valdor::cache_window
