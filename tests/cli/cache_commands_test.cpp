#include "cli/cache_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cache_window/cache_settings.h"
#include "cli/run_command.h"
#include "config/encoding.h"
#include "config/profile.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace valdor::cli {
namespace {

namespace fs = std::filesystem;
namespace cw = cache_window;
using test::readBytes;

// A scratch copy of the sample game folder and the command line that edits it.
struct CacheGame {
  CacheGame() { dir.copySample("game"); }

  Outcome cache(std::vector<std::string> args) const {
    std::vector<std::string> line{"--game-dir", (dir / "game").string(), "--state-dir", (dir / "state").string(),
                                  "--language", "english", "cache"};
    line.insert(line.end(), args.begin(), args.end());
    return run(line);
  }
  std::string engine() const { return readBytes(engineIni); }
  std::string stored(std::string_view key) const {
    const cw::CacheRow& row = *cw::FindCacheKey(key);
    return config::getProfileString(engineIni, row.section, row.key, "missing");
  }

  test::TempDir dir;
  fs::path engineIni = dir / "game/Ini/ve3.ini";
};

// ---- show ----

TEST(CacheCommands, ShowListsValuesTotalsAndFinalCachesInTheWindowsOrder) {
  const CacheGame game;
  const Outcome shown = game.cache({"show"});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(shown.out,
            "Cache.SizeImage=134217728 (128.00 MB)\nCache.SizeMesh=83886080 (80.00 MB)\n"
            "Cache.SizeSound=67108864 (64.00 MB)\nCache.SizeMaterial=41943040 (40.00 MB)\n"
            "Cache.SizeCollisionMesh=41943040 (40.00 MB)\nCache.SizeAnimation=50331648 (48.00 MB)\n"
            "Cache.SizeSpeedTree=16777216 (16.00 MB)\nTotal.Common=436207616 (416.00 MB)\n"
            "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh=367001600 (350.00 MB)\n"
            "ResourceCache.u32ImageMaxMemUsage_Low=33554432 (32.00 MB)\n"
            "ResourceCache.u32MeshMaxMemUsage_Low=31457280 (30.00 MB)\n"
            "ResourceCache.u32SoundMaxMemUsage_Low=10485760 (10.00 MB)\n"
            "ResourceCache.u32MaterialMaxMemUsage_Low=16384 (0.02 MB)\n"
            "ResourceCache.u32CollisionMeshMaxMemUsage_Low=12582912 (12.00 MB)\n"
            "ResourceCache.u32AnimationMaxMemUsage_Low=25165824 (24.00 MB)\n"
            "ResourceCache.u32SpeedTreeMaxMemUsage_Low=524288 (0.50 MB)\n"
            "Total.Low=113786880 (108.52 MB)\nFinalCache.Low=480788480 (458.52 MB)\n"
            "ResourceCache.u32ImageMaxMemUsage_Medium=73400320 (70.00 MB)\n"
            "ResourceCache.u32MeshMaxMemUsage_Medium=41943040 (40.00 MB)\n"
            "ResourceCache.u32SoundMaxMemUsage_Medium=15728640 (15.00 MB)\n"
            "ResourceCache.u32MaterialMaxMemUsage_Medium=20480 (0.02 MB)\n"
            "ResourceCache.u32CollisionMeshMaxMemUsage_Medium=16777216 (16.00 MB)\n"
            "ResourceCache.u32AnimationMaxMemUsage_Medium=31457280 (30.00 MB)\n"
            "ResourceCache.u32SpeedTreeMaxMemUsage_Medium=786432 (0.75 MB)\n"
            "Total.Medium=180113408 (171.77 MB)\nFinalCache.Medium=547115008 (521.77 MB)\n"
            "ResourceCache.u32ImageMaxMemUsage_High=100663296 (96.00 MB)\n"
            "ResourceCache.u32MeshMaxMemUsage_High=100663296 (96.00 MB)\n"
            "ResourceCache.u32SoundMaxMemUsage_High=20971520 (20.00 MB)\n"
            "ResourceCache.u32MaterialMaxMemUsage_High=24576 (0.02 MB)\n"
            "ResourceCache.u32CollisionMeshMaxMemUsage_High=18874368 (18.00 MB)\n"
            "ResourceCache.u32AnimationMaxMemUsage_High=41943040 (40.00 MB)\n"
            "ResourceCache.u32SpeedTreeMaxMemUsage_High=1048576 (1.00 MB)\n"
            "Total.High=284188672 (271.02 MB)\nFinalCache.High=651190272 (621.02 MB)\n");
}

// ---- set, scale, defaults ----

TEST(CacheCommands, SetWritesWhatTheModelsSaveWrites) {
  const CacheGame expected;
  auto sizes = cw::LoadCacheSizes(expected.engineIni);
  sizes.value(cw::CacheColumn::Common, cw::CacheCategory::Image) = "0128000000";
  sizes.value(cw::CacheColumn::High, cw::CacheCategory::Material) = "21000";
  ASSERT_TRUE(cw::SaveCacheSizes(sizes, expected.engineIni).ok());

  const CacheGame game;
  const Outcome set = game.cache({"set", "cache.sizeimage=0128000000", "ResourceCache.u32MaterialMaxMemUsage_High=21000"});
  EXPECT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(game.engine(), expected.engine());
  EXPECT_EQ(game.stored("Cache.SizeImage"), "0128000000");
}

TEST(CacheCommands, ScaleTakesTheSignAsTheWindowsButtons) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"-7", "119039999"}, {"+10", "140800000"}, {"10", "140800000"}, {"-150", "0"}};
  for (const auto& [percent, image] : cases) {
    const CacheGame game;
    ASSERT_EQ(game.cache({"set", "ResourceCache.u32ImageMaxMemUsage_Low=128000000"}).exitCode, 0);
    const Outcome scaled = game.cache({"scale", "low", percent});
    EXPECT_EQ(scaled.exitCode, 0) << scaled.err;
    EXPECT_EQ(game.stored("ResourceCache.u32ImageMaxMemUsage_Low"), image) << percent;
    EXPECT_EQ(game.stored("ResourceCache.u32ImageMaxMemUsage_Medium"), "73400320");
    EXPECT_EQ(game.stored("ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh"), "367001600");
  }
}

TEST(CacheCommands, BudgetsOf2To31AndMoreStayUnsignedThroughShowAndLaterSaves) {
  const CacheGame game;
  ASSERT_EQ(game.cache({"set", "Cache.SizeImage=3000000000"}).exitCode, 0);
  config::ProfileEdit edit(game.engineIni);
  edit.set("Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh", "-1");
  ASSERT_TRUE(edit.save().ok());

  const Outcome later = game.cache({"set", "Cache.SizeMesh=1"});
  EXPECT_EQ(later.exitCode, 0) << later.err;
  EXPECT_EQ(game.stored("Cache.SizeImage"), "3000000000");
  EXPECT_EQ(game.stored("ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh"), "4294967295");

  const std::string shown = game.cache({"show"}).out;
  for (const std::string line : {"\nCache.SizeImage=3000000000 (2861.02 MB)\n",
                                 "\nResourceCache.u32ImageMaxMemUsage_TextureQualityHigh=4294967295 (4096.00 MB)\n",
                                 "\nTotal.Common=3218103809 (3069.02 MB)\n",
                                 "\nFinalCache.Low=113786879 (108.52 MB)\n"}) {
    EXPECT_NE(("\n" + shown).find(line), std::string::npos) << line << shown;
  }
}

TEST(CacheCommands, DefaultsWritesTheDefaultOfEveryRow) {
  const CacheGame game;
  EXPECT_EQ(game.cache({"defaults"}).exitCode, 0);
  for (const cw::CacheRow& row : cw::kCacheRows) EXPECT_EQ(game.stored(row.key), row.defaultText) << row.key;
}

// ---- Unicode files ----

TEST(CacheCommands, UnicodeFileShowsItsValuesAndStaysUnicodeOnSet) {
  const CacheGame ansi;
  const CacheGame unicode;
  const std::string bom("\xff\xfe");
  test::writeBytes(unicode.engineIni, bom + config::encodeProfileText(config::TextEncoding::Utf16Le, ansi.engine()));
  EXPECT_EQ(unicode.cache({"show"}).out, ansi.cache({"show"}).out);

  const std::vector<std::string> set{"set", "Cache.SizeMesh=1", "ResourceCache.u32MaterialMaxMemUsage_High=21000"};
  ASSERT_EQ(ansi.cache(set).exitCode, 0);
  const Outcome result = unicode.cache(set);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(unicode.engine(), bom + config::encodeProfileText(config::TextEncoding::Utf16Le, ansi.engine()));
}

TEST(CacheCommands, SetRefusesAFileInAnEncodingTheGameCannotReadBack) {
  const CacheGame game;
  const std::string bigEndian =
      "\xfe\xff" + config::encodeProfileText(config::TextEncoding::Utf16Be, game.engine());
  test::writeBytes(game.engineIni, bigEndian);
  const Outcome result = game.cache({"set", "Cache.SizeMesh=1"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("encoding the game cannot read"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(test::native(game.engineIni)), std::string::npos) << result.err;
  EXPECT_EQ(game.engine(), bigEndian);
}

// ---- errors ----

TEST(CacheCommands, AnUnknownKeyOrValueNamesWhatIsAllowedAndWritesNothing) {
  const CacheGame game;
  const std::string before = game.engine();
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"set", "Cache.SizeMesh=1", "Total.Low=5"},
       "unknown cache key 'Total.Low'; the keys are: Cache.SizeImage, Cache.SizeMesh, "},
      {{"set", "Cache.SizeMesh=-1"}, "Cache.SizeMesh takes a number of bytes from 0 to 4294967295 in digits only"},
      {{"set", "Cache.SizeMesh="}, "not ''"},
      {{"set", "Cache.SizeMesh=4294967296"}, "not '4294967296'"},
      {{"scale", "Ultra", "5"}, "unknown cache column 'Ultra'; the columns are: Common, Low, Medium, High\n"},
      {{"scale", "High", "5%"}, "cache scale takes a whole percentage, +N or N to increase, -N to decrease"},
      {{"scale", "High", "-"}, "not '-'"}};
  for (const auto& [args, message] : cases) {
    const Outcome result = game.cache(args);
    EXPECT_EQ(result.exitCode, 1) << args.back();
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
  }
  EXPECT_EQ(game.engine(), before);

  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"frob"}, {"set"}, {"set", "Cache.SizeMesh"}, {"scale", "Low"}, {"show", "x"}, {"defaults", "x"}}) {
    EXPECT_EQ(game.cache(args).exitCode, 2) << (args.empty() ? "" : args[0]);
  }
}

TEST(CacheCommands, AFailedWriteNamesTheFile) {
  const CacheGame game;
  fs::permissions(game.engineIni, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
  const std::string before = game.engine();
  const Outcome result = game.cache({"defaults"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Could not save\n" + test::native(game.engineIni) + "\n\nThe file is read-only.\n");
  EXPECT_EQ(game.engine(), before);
}

}  // namespace
}  // namespace valdor::cli
