#include "cache_window/cache_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "config/text.h"
#include "config/value_words.h"
#include "i18n/file_messages.h"
#include "support/temp_dir.h"

using namespace valdor::cache_window;
using valdor::config::Failure;
using valdor::test::readBytes;
using valdor::test::writeBytes;

namespace {

// The defaults saved into a missing file, with the Common image budget typed
// as "0128000000": Common into Engine.Setup, then the levels, texturesHigh last,
// each column in the order Image, Material, Mesh, Sound, CollisionMesh,
// Animation, SpeedTree.
constexpr std::string_view kSavedIntoEmptyFile =
    "[Engine.Setup]\r\nCache.SizeImage=0128000000\r\nCache.SizeMaterial=40000000\r\nCache.SizeMesh=70000000\r\n"
    "Cache.SizeSound=80000000\r\nCache.SizeCollisionMesh=40000000\r\nCache.SizeAnimation=40000000\r\n"
    "Cache.SizeSpeedTree=10000000\r\n"
    "[Option.Sliders]\r\n"
    "ResourceCache.u32ImageMaxMemUsage_Low=32000000\r\nResourceCache.u32MaterialMaxMemUsage_Low=18000\r\n"
    "ResourceCache.u32MeshMaxMemUsage_Low=30000000\r\nResourceCache.u32SoundMaxMemUsage_Low=10000000\r\n"
    "ResourceCache.u32CollisionMeshMaxMemUsage_Low=13000000\r\nResourceCache.u32AnimationMaxMemUsage_Low=25000000\r\n"
    "ResourceCache.u32SpeedTreeMaxMemUsage_Low=500000\r\n"
    "ResourceCache.u32ImageMaxMemUsage_Medium=70000000\r\nResourceCache.u32MaterialMaxMemUsage_Medium=20000\r\n"
    "ResourceCache.u32MeshMaxMemUsage_Medium=40000000\r\nResourceCache.u32SoundMaxMemUsage_Medium=15000000\r\n"
    "ResourceCache.u32CollisionMeshMaxMemUsage_Medium=16000000\r\n"
    "ResourceCache.u32AnimationMaxMemUsage_Medium=30000000\r\nResourceCache.u32SpeedTreeMaxMemUsage_Medium=750000\r\n"
    "ResourceCache.u32ImageMaxMemUsage_High=96000000\r\nResourceCache.u32MaterialMaxMemUsage_High=21000\r\n"
    "ResourceCache.u32MeshMaxMemUsage_High=96000000\r\nResourceCache.u32SoundMaxMemUsage_High=20000000\r\n"
    "ResourceCache.u32CollisionMeshMaxMemUsage_High=18000000\r\nResourceCache.u32AnimationMaxMemUsage_High=40000000\r\n"
    "ResourceCache.u32SpeedTreeMaxMemUsage_High=1000000\r\n"
    "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh=350000000\r\n";

// A player's file: a comment, a cache key already there, another section.
constexpr std::string_view kPlayerFile =
    "; engine\r\n[Engine.Setup]\r\nRender.Device=d3d9\r\nCache.SizeMesh=1\r\n\r\n[Game]\r\nTestMode=true\r\n";

// The same after saving the defaults: the stored key changes in place, the
// others follow it, and the missing section goes to the end.
constexpr std::string_view kPlayerFileSaved =
    "; engine\r\n[Engine.Setup]\r\nRender.Device=d3d9\r\nCache.SizeMesh=70000000\r\nCache.SizeImage=128000000\r\n"
    "Cache.SizeMaterial=40000000\r\nCache.SizeSound=80000000\r\nCache.SizeCollisionMesh=40000000\r\n"
    "Cache.SizeAnimation=40000000\r\nCache.SizeSpeedTree=10000000\r\n\r\n[Game]\r\nTestMode=true\r\n"
    "[Option.Sliders]\r\n";

constexpr CacheField kLowImage{CacheColumn::Low, CacheCategory::Image};

}  // namespace

// ---- the tables ----

TEST(CacheSizes, EveryValueHasItsOwnKeyAndControls) {
  std::set<std::string> keys;
  std::set<ControlId> controls;
  for (const CacheRow& row : kCacheRows) {
    keys.insert(valdor::config::toLowerAscii(row.key));
    controls.insert(row.valueField);
    controls.insert(row.megabyteLabel);
    EXPECT_EQ(&RowOf(row.field), &row);
  }
  for (const CacheColumnRow& column : kCacheColumnRows) {
    for (ControlId id : {column.totalField, column.totalMegabytes, column.percentField, column.increaseButton,
                         column.decreaseButton, column.finalField, column.finalMegabytes}) {
      if (id != ControlId::None) controls.insert(id);
    }
  }
  EXPECT_EQ(keys.size(), kValueCount);
  EXPECT_EQ(controls.size(), 2 * kValueCount + 4 * 5 + 3 * 2);
  EXPECT_EQ(FindCacheKey("resourcecache.u32imagemaxmemusage_low"), &RowOf(kLowImage));
  EXPECT_EQ(FindCacheKey("Cache.Size"), nullptr);
}

TEST(CacheSizes, TooltipsAnnounceTheDefaultOfTheirRow) {
  valdor::i18n::Translator translator;
  translator.setLanguage("english");
  EXPECT_EQ(CacheTooltip(translator, {CacheColumn::Common, CacheCategory::Image}),
            "image cache in bytes\ndefault:128000000");
  EXPECT_EQ(CacheTooltip(translator, kTexturesHigh), "high texture cache in bytes\ndefault:350000000");
  translator.setLanguage("deutsch");
  EXPECT_EQ(CacheTooltip(translator, {CacheColumn::Low, CacheCategory::Material}),
            "Cache f\xFCr Material in Bytes\nStandard:18000");
}

// ---- readings and figures ----

TEST(CacheSizes, TheDefaultsGiveTheKnownTotalsFinalCachesAndMegabytes) {
  const CacheFigures figures = RecalcAll(DefaultCacheSizes());
  const std::vector<std::tuple<CacheColumn, std::uint32_t, std::string, std::uint32_t, std::string>> expected{
      {CacheColumn::Common, 408000000, "389.10 MB", 0, ""},
      {CacheColumn::Low, 110518000, "105.40 MB", 460518000, "439.18 MB"},
      {CacheColumn::Medium, 171770000, "163.81 MB", 521770000, "497.60 MB"},
      {CacheColumn::High, 271021000, "258.47 MB", 621021000, "592.25 MB"}};
  for (const auto& [column, total, totalText, finalCache, finalText] : expected) {
    const CacheColumnFigures& shown = figures.columns[static_cast<std::size_t>(column)];
    EXPECT_EQ(shown.total, total);
    EXPECT_EQ(shown.totalMegabytes, totalText);
    EXPECT_EQ(shown.finalCache.value_or(0), finalCache);
    EXPECT_EQ(shown.finalMegabytes, finalText);
    const auto material = static_cast<std::size_t>(CacheCategory::Material);
    EXPECT_EQ(shown.megabytes[material], column == CacheColumn::Common ? "38.15 MB" : "0.02 MB");
  }
  EXPECT_EQ(figures.columns[0].megabytes[0], "122.07 MB");
  EXPECT_EQ(figures.texturesHighMegabytes, "333.79 MB");
}

TEST(CacheSizes, MegabytesRoundExactHalvesAwayFromZeroAndKeepTheSign) {
  EXPECT_EQ(FormatMegabytes(131072), "0.13 MB");
  EXPECT_EQ(FormatMegabytes(1179648), "1.13 MB");
  EXPECT_EQ(FormatMegabytes(-1179648), "-1.13 MB");
  EXPECT_EQ(FormatMegabytes(-64000000), "-61.04 MB");
  EXPECT_EQ(FormatMegabytes(std::uint32_t{4294967295}), "4096.00 MB");
}

TEST(CacheSizes, IntegerReadingIsUnsignedStopsAtTheFirstOtherCharacterAndWrapsBeyond32Bits) {
  const std::vector<std::pair<std::string, std::uint32_t>> cases{
      {" \t12ab", 12},         {"-5", 4294967291},  {"+7", 7},          {"abc", 0},
      {"", 0},                 {"- 5", 0},          {"0128000000", 128000000},
      {"3000000000", 3000000000}, {"4294967296", 0}, {"99999999999", 1215752191}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(IntegerReading(text), expected) << text;

  CacheSizes sizes = DefaultCacheSizes();
  sizes.value(CacheColumn::Low, CacheCategory::Image) = "3000000000";
  EXPECT_EQ(MegabytesOf(sizes, kLowImage), "2861.02 MB");
  sizes.texturesHigh = "4294967295";
  EXPECT_EQ(MegabytesOf(sizes, kTexturesHigh), "4096.00 MB");
}

TEST(CacheSizes, RealReadingTakesTheLongestDecimalNumberInTheCLocale) {
  const std::vector<std::pair<std::string, double>> cases{
      {"12.5x", 12.5}, {" -3", -3.0}, {"1,5", 1.0}, {"2e3", 2000.0}, {"abc", 0.0}, {"--1", 0.0}, {"1e-400", 0.0}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(RealReading(text), expected) << text;
  EXPECT_EQ(RealReading("-1e400"), -HUGE_VAL);
  EXPECT_EQ(RealReading("0.001e400"), HUGE_VAL);
}

TEST(CacheSizes, TotalsCountNonNumbersAsZeroAndWrapModulo2To32) {
  CacheSizes sizes = DefaultCacheSizes();
  sizes.value(CacheColumn::Low, CacheCategory::Image) = "";
  sizes.value(CacheColumn::Low, CacheCategory::Mesh) = "objects";
  EXPECT_EQ(ColumnTotal(sizes, CacheColumn::Low), 110518000u - 32000000u - 30000000u);

  for (CacheCategory category : kCacheCategories) sizes.value(CacheColumn::High, category) = "0";
  sizes.value(CacheColumn::High, CacheCategory::Image) = "4294967295";
  sizes.value(CacheColumn::High, CacheCategory::Sound) = "2";
  EXPECT_EQ(ColumnTotal(sizes, CacheColumn::High), 1u);
  sizes.texturesHigh = "-2";
  EXPECT_EQ(FinalCache(sizes, CacheColumn::High), 4294967295u);
  EXPECT_EQ(FinalCache(sizes, CacheColumn::Common), std::nullopt);
}

// ---- scaling ----

TEST(CacheSizes, ScalingTruncatesTheProductOfATwiceRoundedFactorAndStaysWithin32UnsignedBits) {
  struct Case {
    std::string start;
    std::string percent;
    ScaleDirection direction;
    std::string scaled;
  };
  const std::vector<Case> cases{{"128000000", "10", ScaleDirection::Increase, "140800000"},
                                {"140800000", "10", ScaleDirection::Decrease, "126720000"},
                                {"128000000", "7", ScaleDirection::Decrease, "119039999"},
                                {"128000000", "100", ScaleDirection::Decrease, "0"},
                                {"128000000", "150", ScaleDirection::Decrease, "0"},
                                {"3000000000", "10", ScaleDirection::Increase, "3300000000"},
                                {"4000000000", "10", ScaleDirection::Increase, "4294967295"},
                                {"0128", "0", ScaleDirection::Increase, "128"},
                                {"", "", ScaleDirection::Decrease, "0"},
                                {"4000000000", "abc", ScaleDirection::Increase, "4000000000"},
                                {"5", "1e300", ScaleDirection::Increase, "4294967295"},
                                {std::string(400, '9'), "100", ScaleDirection::Decrease, "0"}};
  for (const Case& scaling : cases) {
    CacheSizes sizes = DefaultCacheSizes();
    sizes.value(CacheColumn::Medium, CacheCategory::SpeedTree) = scaling.start;
    ScaleCacheColumn(sizes, CacheColumn::Medium, scaling.percent, scaling.direction);
    EXPECT_EQ(sizes.value(CacheColumn::Medium, CacheCategory::SpeedTree), scaling.scaled)
        << scaling.start << " by " << scaling.percent;
  }
}

TEST(CacheSizes, ScalingChangesTheSevenValuesOfItsColumnOnly) {
  CacheSizes sizes = DefaultCacheSizes();
  ScaleCacheColumn(sizes, CacheColumn::Low, "100", ScaleDirection::Decrease);
  CacheSizes expected = DefaultCacheSizes();
  for (CacheCategory category : kCacheCategories) expected.value(CacheColumn::Low, category) = "0";
  EXPECT_EQ(sizes, expected);
  EXPECT_EQ(RecalcColumn(sizes, CacheColumn::Low).finalCache, 350000000u);
}

// ---- loading ----

class CacheFileTest : public ::testing::Test {
 protected:
  CacheFileTest() { std::filesystem::create_directories(engineIni.parent_path()); }

  valdor::test::TempDir dir;
  std::filesystem::path engineIni = dir / "Ini/ve3.ini";
};

TEST_F(CacheFileTest, LoadGivesZeroForMissingKeysAndFilesAndPlainUnsignedNumbersOtherwise) {
  writeBytes(engineIni, "[Option.Sliders]\r\nResourceCache.u32ImageMaxMemUsage_Low= 0128000000 \r\n"
                        "ResourceCache.u32MeshMaxMemUsage_Low=3500.7\r\nResourceCache.u32SoundMaxMemUsage_Low=-1\r\n"
                        "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh=3000000000\r\n");
  const CacheSizes sizes = LoadCacheSizes(engineIni);
  EXPECT_EQ(sizes.value(CacheColumn::Low, CacheCategory::Image), "128000000");
  EXPECT_EQ(sizes.value(CacheColumn::Low, CacheCategory::Mesh), "3500");
  EXPECT_EQ(sizes.value(CacheColumn::Low, CacheCategory::Sound), "4294967295");  // the same 32 bits
  EXPECT_EQ(sizes.value(CacheColumn::Low, CacheCategory::Material), "0");
  EXPECT_EQ(sizes.value(CacheColumn::Common, CacheCategory::Image), "0");
  EXPECT_EQ(sizes.texturesHigh, "3000000000");

  const CacheSizes nothing = LoadCacheSizes(dir / "missing.ini");
  for (CacheField field : WindowOrder()) EXPECT_EQ(TextOf(nothing, field), "0");
}

// ---- saving ----

TEST_F(CacheFileTest, SaveWritesTheTextsUnchangedInTheGameOrder) {
  CacheSizes sizes = DefaultCacheSizes();
  sizes.value(CacheColumn::Common, CacheCategory::Image) = "0128000000";
  ASSERT_TRUE(SaveCacheSizes(sizes, engineIni).ok());
  EXPECT_EQ(readBytes(engineIni), kSavedIntoEmptyFile);

  writeBytes(engineIni, kPlayerFile);
  ASSERT_TRUE(SaveCacheSizes(DefaultCacheSizes(), engineIni).ok());
  const std::string levels(kSavedIntoEmptyFile.substr(kSavedIntoEmptyFile.find("[Option.Sliders]\r\n") + 18));
  EXPECT_EQ(readBytes(engineIni), std::string(kPlayerFileSaved) + levels);
}

TEST_F(CacheFileTest, AValueThatIsNoNumberIsNamedAndNothingIsWritten) {
  writeBytes(engineIni, kPlayerFile);
  valdor::i18n::Translator translator;
  translator.setLanguage("english");
  for (const std::string bad : {"", "12a", " 5", "+5", "-1", "4294967296", "99999999999"}) {
    CacheSizes sizes = DefaultCacheSizes();
    sizes.value(CacheColumn::High, CacheCategory::Sound) = bad;
    TextOf(sizes, kLowImage) = bad;
    const CacheSaveResult result = SaveCacheSizes(sizes, engineIni);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.invalid, kLowImage) << bad;
    EXPECT_EQ(result.file.failure, Failure::NotANumber);
    EXPECT_EQ(valdor::i18n::failureMessage(translator, result.file, FieldName(translator, *result.invalid)),
              "Please enter a whole number:\nresource cache - low: image");
  }
  EXPECT_EQ(readBytes(engineIni), kPlayerFile);

  CacheSizes limits = DefaultCacheSizes();
  TextOf(limits, kLowImage) = "4294967295";
  limits.texturesHigh = "0";
  EXPECT_TRUE(SaveCacheSizes(limits, engineIni).ok());
}

TEST_F(CacheFileTest, AFailedWriteNamesTheFileAndLeavesItAlone) {
  writeBytes(engineIni, kPlayerFile);
  std::filesystem::permissions(engineIni, std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write, std::filesystem::perm_options::remove);
  const CacheSaveResult readOnly = SaveCacheSizes(DefaultCacheSizes(), engineIni);
  EXPECT_EQ(readOnly.file.failure, Failure::ReadOnly);
  valdor::i18n::Translator translator;
  translator.setLanguage("english");
  EXPECT_EQ(valdor::i18n::failureMessage(translator, readOnly.file),
            "Could not save\n" + engineIni.string() + "\n\nThe file is read-only.");
  EXPECT_EQ(readBytes(engineIni), kPlayerFile);

  const CacheSaveResult nowhere = SaveCacheSizes(DefaultCacheSizes(), dir / "missing/ve3.ini");
  EXPECT_EQ(nowhere.file.failure, Failure::FolderMissing);
  EXPECT_EQ(nowhere.file.where, valdor::config::pathText(dir / "missing/ve3.ini"));
}
