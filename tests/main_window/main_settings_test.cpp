#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "config/profile.h"
#include "i18n/file_messages.h"
#include "main_window/main_controls.h"
#include "main_window/main_settings.h"
#include "support/temp_dir.h"

using namespace valdor::main_window;
using valdor::config::Failure;
using valdor::test::readBytes;
using valdor::test::writeBytes;

namespace {

const std::vector<std::string> kModes{"800x600@60Hz", "1024x768@60Hz", "1280x1024@75Hz"};

// Restore and then save into missing files: the defaults in row order.
constexpr std::string_view kDefaultUserOptions =
    "[Options.Video]\r\nResolution.Width=1024\r\nResolution.Height=768\r\nResolution.RefreshRate=60\r\n"
    "[Options.Custom]\r\nDistanceHigh=2\r\nDistanceLow=2\r\nResourceCache=2\r\nObjectDetails=2\r\n"
    "ShaderQuality=2_0\r\nTextureQuality=2\r\nTextureFilter=1\r\nVegetationQuality=1\r\nShadowQuality=1\r\n"
    "PostProcessing=1\r\n";
constexpr std::string_view kDefaultEngine =
    "[Engine.Setup]\r\nRender.EnableVegetationRendering=true\r\nVegetationAdmin.Quality=high\r\n"
    "VegetationAdmin.ViewRange=3500.0\r\nShader.EnableTreeShadows=true\r\nShader.EnableStaticShadows=true\r\n"
    "Shader.EnableDetailShadows=true\r\nAnimationBlending.PhysicControllerDistance=1200.0\r\n"
    "Animation.MaxRagDolls=999\r\nEntity.ROI=4000.0\r\nRender.EnableLowpolyRendering=true\r\n"
    "Render.MeshLoDQuality=ultrahigh\r\nRender.AnimationLoDQuality=ultrahigh\r\nRender.ImageLoDQuality=ultrahigh\r\n";

// A player's engine file with a comment, another section and odd spacing.
constexpr std::string_view kPlayerEngine =
    "; tuned by hand\n[Engine.Setup]\nRender.MeshLoDQuality = HIGH \nEntity.ROI=-1\n\n[Engine.Audio]\nVolume=0.8\n";

class MainSettingsTest : public ::testing::Test {
 protected:
  MainSettingsTest() {
    std::filesystem::create_directories(dir / "valdor3");
    std::filesystem::create_directories(dir / "Ini");
    paths.userOptionsIni = dir / "valdor3/UserOptions.ini";
    paths.engineIni = dir / "Ini/ve3.ini";
  }

  MainSettings load(const MainTexts& texts, const MainSettings& previous = {}) {
    return LoadMainSettings(paths, texts, kModes, previous);
  }
  MainSettings load() { return load(english); }
  MainSettings restored() {
    MainSettings settings;
    RestoreMainDefaults(settings, english, kModes);
    return settings;
  }
  void writeFiles(std::string_view user, std::string_view engine) {
    writeBytes(paths.userOptionsIni, user);
    writeBytes(paths.engineIni, engine);
  }
  std::string user() const { return readBytes(paths.userOptionsIni); }
  std::string engine() const { return readBytes(paths.engineIni); }

  valdor::test::TempDir dir;
  valdor::app::ConfigPaths paths;
  const std::array<MainTexts, 2> languages = MainTextsOfBothLanguages(valdor::i18n::Translator());
  const MainTexts& english = languages[0];
  const MainTexts& german = languages[1];
};

}  // namespace

// ---- loading ----

TEST_F(MainSettingsTest, MissingFilesGiveTheReadDefaults) {
  MainSettings expected;
  expected.distanceHigh = expected.resourceCache = expected.objectDetails = 0;
  expected.textureQuality = expected.vegetationQuality = 0;
  expected.distanceLow = expected.shadowQuality = 1;
  expected.shaderQuality = 0;
  expected.textureFilter = 1;
  expected.postProcessing = 0;
  expected.enableVegetationRendering = expected.enableTreeShadows = expected.enableStaticShadows = 0;
  expected.enableDetailShadows = expected.enableLowpolyRendering = expected.vegetationAdminQuality = 0;
  expected.meshLoDQuality = expected.animationLoDQuality = expected.imageLoDQuality = 0;
  EXPECT_EQ(load(), expected);  // 0x0@0Hz is not listed: no resolution chosen
  EXPECT_EQ(StoredResolutionText(paths), "0x0@0Hz");
}

TEST_F(MainSettingsTest, LevelNumbersSelectByTheirTextAndUnknownLevelsKeepTheChoice) {
  writeFiles("[Options.Custom]\r\nDistanceHigh=3\r\nDistanceLow=3\r\nResourceCache=0\r\nObjectDetails=5\r\n", "");
  MainSettings previous;
  previous.objectDetails = 1;
  const MainSettings settings = load(english, previous);
  EXPECT_EQ(settings.distanceHigh, 2);
  EXPECT_EQ(settings.distanceLow, 3);
  EXPECT_EQ(settings.resourceCache, -1);
  EXPECT_EQ(settings.objectDetails, 1);
  ASSERT_TRUE(SaveMainSettings(paths, settings));
  EXPECT_NE(user().find("DistanceHigh=3\r\nDistanceLow=3\r\n"), std::string::npos);
}

TEST_F(MainSettingsTest, WordsIgnoreCaseAndUnknownWordsGiveTheFirstEntry) {
  writeFiles("", "[Engine.Setup]\nShader.EnableTreeShadows=TRUE\nShader.EnableStaticShadows=yes\n"
                 "VegetationAdmin.Quality=true\nRender.EnableVegetationRendering=high\nRender.MeshLoDQuality=low\n");
  const MainSettings settings = load();
  EXPECT_EQ(settings.enableTreeShadows, 1);
  EXPECT_EQ(settings.enableStaticShadows, 0);
  EXPECT_EQ(settings.vegetationAdminQuality, 1);
  EXPECT_EQ(settings.enableVegetationRendering, -1);
  EXPECT_EQ(settings.meshLoDQuality, 0);
  ASSERT_TRUE(SaveMainSettings(paths, settings));
  EXPECT_NE(engine().find("Shader.EnableTreeShadows=true\n"), std::string::npos);
  EXPECT_NE(engine().find("VegetationAdmin.Quality=med\n"), std::string::npos);
}

TEST_F(MainSettingsTest, ShaderModelTakesAnySecondCharacterAndIsSavedWithAnUnderscore) {
  struct Case {
    const char* stored;
    int position;
    const char* saved;
  };
  for (auto [stored, position, saved] : {Case{"3_0", 2, "3_0"}, Case{"2.0", 1, "2_0"}, Case{"2,0", 1, "2_0"}}) {
    writeFiles(std::string("[Options.Custom]\r\nShaderQuality=") + stored + "\r\n", "");
    const MainSettings settings = load();
    EXPECT_EQ(settings.shaderQuality, position) << stored;
    ASSERT_TRUE(SaveMainSettings(paths, settings));
    EXPECT_NE(user().find(std::string("ShaderQuality=") + saved + "\r\n"), std::string::npos) << stored;
  }
}

TEST_F(MainSettingsTest, NumbersDropTheFractionAndNegativesWrapToUnsigned) {
  writeFiles("[Options.Custom]\r\nTextureFilter=7\r\n",
             "[Engine.Setup]\r\nVegetationAdmin.ViewRange=3500.75\r\nEntity.ROI=-1\r\nAnimation.MaxRagDolls=-1\r\n");
  const MainSettings settings = load();
  EXPECT_EQ(settings.textureFilter, -1);
  EXPECT_EQ(settings.vegetationAdminViewRange, 3500.0f);
  EXPECT_EQ(settings.entityRoi, 4294967296.0f);
  EXPECT_EQ(settings.maxRagDolls, 4294967295u);
  EXPECT_EQ(FieldText(settings, ControlId::RoiViewRange), "4294967296");
}

TEST_F(MainSettingsTest, FieldsNobodyChangedKeepTheirStoredText) {
  // What the fields show would be written back as 4294967296.0 (read by the
  // game as 0), 16777216.0 and 3500.0.
  const std::string storedEngine =
      "[Engine.Setup]\r\nEntity.ROI=-1\r\nAnimationBlending.PhysicControllerDistance=16777217\r\n"
      "VegetationAdmin.ViewRange=3500.75\r\n";
  writeFiles("", storedEngine);
  MainSettings settings = load();
  EXPECT_EQ(TakeFieldTexts(settings, [&](ControlId field) { return FieldText(settings, field); }), std::nullopt);
  ASSERT_TRUE(SaveMainSettings(paths, settings));
  EXPECT_TRUE(engine().starts_with(storedEngine)) << engine();
  EXPECT_NE(engine().find("Animation.MaxRagDolls=0\r\n"), std::string::npos) << "a missing key is written";

  // A field given another text is written, and only that one.
  EXPECT_EQ(TakeFieldTexts(settings,
                           [&](ControlId field) {
                             return field == ControlId::RoiViewRange ? std::string("4000") : FieldText(settings, field);
                           }),
            std::nullopt);
  ASSERT_TRUE(SaveMainSettings(paths, settings));
  EXPECT_TRUE(engine().starts_with("[Engine.Setup]\r\nEntity.ROI=4000.0\r\n"
                                   "AnimationBlending.PhysicControllerDistance=16777217\r\n"
                                   "VegetationAdmin.ViewRange=3500.75\r\n"))
      << engine();

  // Asked for, the defaults are written even where a field shows the same number.
  writeFiles("", "[Engine.Setup]\r\nEntity.ROI=4000.5\r\n");
  settings = load();
  RestoreMainDefaults(settings, english, kModes);
  ASSERT_TRUE(SaveMainSettings(paths, settings));
  EXPECT_TRUE(engine().starts_with("[Engine.Setup]\r\nEntity.ROI=4000.0\r\n")) << engine();

  // Set by name, a field is written; the others keep their text.
  writeFiles("", storedEngine);
  settings = load();
  ASSERT_EQ(SetMainSetting(settings, "Entity.ROI", "5", languages, kModes), SetOutcome::Done);
  ASSERT_TRUE(SaveMainSettings(paths, settings));
  EXPECT_TRUE(engine().starts_with("[Engine.Setup]\r\nEntity.ROI=5.0\r\n"
                                   "AnimationBlending.PhysicControllerDistance=16777217\r\n"))
      << engine();
}

TEST_F(MainSettingsTest, AStoredModeThatIsNotListedIsKeptAndOnlyNoModeTakesTheFirstEntry) {
  // A display that lists one mode, another monitor, another refresh rate.
  const std::string storedUser =
      "[Options.Video]\r\nResolution.Width=1920\r\nResolution.Height=1080\r\nResolution.RefreshRate=60\r\n";
  writeFiles(storedUser, "");
  MainSettings settings = load();
  EXPECT_EQ(settings.resolution, "");
  EnsureResolutionChosen(settings, kModes);
  EXPECT_EQ(settings.resolution, "");
  ASSERT_TRUE(SaveMainSettings(paths, settings));
  EXPECT_TRUE(user().starts_with(storedUser)) << user();

  for (const char* noMode : {"Resolution.Width=0\r\nResolution.Height=768\r\n", "Resolution.Width=1024\r\n"}) {
    writeFiles(std::string("[Options.Video]\r\n") + noMode, "");
    settings = load();
    EnsureResolutionChosen(settings, kModes);
    EXPECT_EQ(settings.resolution, "800x600@60Hz") << noMode;
  }
}

TEST_F(MainSettingsTest, StoredModeIsChosenWhenListedAndOtherwiseTheChoiceStays) {
  writeFiles("[Options.Video]\r\nResolution.Width=1280\r\nResolution.Height=1024\r\nResolution.RefreshRate=75\r\n", "");
  EXPECT_EQ(load().resolution, "1280x1024@75Hz");
  writeFiles("[Options.Video]\r\nResolution.Width=640\r\nResolution.Height=480\r\nResolution.RefreshRate=60\r\n", "");
  MainSettings previous;
  previous.resolution = "800x600@60Hz";
  EXPECT_EQ(load(english, previous).resolution, "800x600@60Hz");
}

// ---- saving ----

TEST_F(MainSettingsTest, EveryChoiceAndNumberOfEveryRowRoundTrips) {
  for (const MainRow& row : kMainRows) {
    std::vector<std::string> values = english.list(row.kind);
    if (row.kind == MainKind::DisplayMode) values = kModes;
    if (row.kind == MainKind::Decimal || row.kind == MainKind::Count) values = {"0", "1234", "4000000"};
    for (const std::string& value : values) {
      MainSettings settings = restored();
      ASSERT_EQ(SetMainSetting(settings, SettingName(row), value, languages, kModes), SetOutcome::Done) << row.key;
      std::filesystem::remove(paths.userOptionsIni);
      std::filesystem::remove(paths.engineIni);
      ASSERT_TRUE(SaveMainSettings(paths, settings));
      MainSettings loaded = load(english, WithListsCleared(settings));
      EXPECT_TRUE(loaded.modeStored);
      EXPECT_EQ(loaded.fieldsAsStored.size(), 4u);
      loaded.modeStored = settings.modeStored;
      loaded.fieldsAsStored = settings.fieldsAsStored;
      EXPECT_EQ(loaded, settings) << row.key << " " << value;
    }
  }
}

TEST_F(MainSettingsTest, SavedBytesAreThoseOfWritingTheKeysOneByOne) {
  writeFiles("[Options.Custom]\nTextureFilter=4 ; by hand\n", kPlayerEngine);
  MainSettings settings = load();
  RestoreMainDefaults(settings, english, kModes);
  settings.shadowQuality = -1;
  ASSERT_TRUE(SaveMainSettings(paths, settings));

  const auto expected = dir / "expected";
  std::filesystem::create_directories(expected);
  writeBytes(expected / "user.ini", "[Options.Custom]\nTextureFilter=4 ; by hand\n");
  writeBytes(expected / "engine.ini", kPlayerEngine);
  MainSettings written;
  RestoreMainDefaults(written, english, kModes);
  std::size_t part = 0;
  const std::string parts[] = {"1024", "768", "60"};
  for (const MainRow& row : kMainRows) {
    if (row.key == "ShadowQuality") continue;
    std::string value = row.kind == MainKind::DisplayMode ? parts[part++] : std::string(row.restoreDefault);
    if (row.kind == MainKind::ShaderModel) value = "2_0";
    const auto file = expected / (row.file == MainFile::UserOptions ? "user.ini" : "engine.ini");
    ASSERT_TRUE(valdor::config::writeProfileString(file, row.section, row.key, value));
  }
  EXPECT_EQ(user(), readBytes(expected / "user.ini"));
  EXPECT_EQ(engine(), readBytes(expected / "engine.ini"));
}

TEST_F(MainSettingsTest, EnglishAndGermanWriteIdenticalFiles) {
  writeFiles("[Options.Custom]\r\nDistanceLow=0\r\nShaderQuality=3_0\r\nTextureFilter=4\r\nShadowQuality=3\r\n",
             "[Engine.Setup]\r\nVegetationAdmin.Quality=med\r\nRender.ImageLoDQuality=high\r\n"
             "Shader.EnableDetailShadows=true\r\n");
  const std::string userBefore = user();
  const std::string engineBefore = engine();
  std::string saved[2][2];
  for (int i = 0; i < 2; ++i) {
    writeFiles(userBefore, engineBefore);
    const MainSettings settings = load(languages[static_cast<std::size_t>(i)]);
    ASSERT_TRUE(SaveMainSettings(paths, settings));
    saved[i][0] = user();
    saved[i][1] = engine();
  }
  EXPECT_EQ(saved[0][0], saved[1][0]);
  EXPECT_EQ(saved[0][1], saved[1][1]);
}

// ---- defaults ----

TEST_F(MainSettingsTest, RestoreThenSaveWritesTheDefaults) {
  ASSERT_TRUE(SaveMainSettings(paths, restored()));
  EXPECT_EQ(user(), kDefaultUserOptions);
  EXPECT_EQ(engine(), kDefaultEngine);
}

TEST_F(MainSettingsTest, RestoreKeepsTheResolutionWhenTheDefaultModeIsNotListed) {
  MainSettings settings;
  settings.resolution = "1280x1024@75Hz";
  const std::vector<std::string> modes{"1280x1024@75Hz"};
  RestoreMainDefaults(settings, german, modes);
  EXPECT_EQ(settings.resolution, "1280x1024@75Hz");
  EXPECT_EQ(settings.distanceLow, 2);
}

TEST(MainRows, EveryControlHasOneTooltipFromItsRowOrTheTooltipTable) {
  std::set<ControlId> controls;
  std::set<std::string_view> keys;
  for (const MainRow& row : kMainRows) {
    if (controls.insert(row.control).second) keys.insert(row.tooltipKey);
    EXPECT_EQ(FindMainRow(row.control)->tooltipKey, row.tooltipKey) << row.key << ": one list, one tooltip";
  }
  for (const TooltipRow& tip : kTooltips) {
    EXPECT_EQ(FindMainRow(tip.id), nullptr) << tip.key << " is a setting's tooltip given twice";
    EXPECT_TRUE(controls.insert(tip.id).second) << tip.key;
    keys.insert(tip.key);
  }
  EXPECT_EQ(keys.size(), controls.size()) << "a tooltip text used for two controls";
}

TEST_F(MainSettingsTest, TooltipsAnnounceTheRestoreDefaults) {
  EXPECT_EQ(TooltipDefault(ControlId::ViewRangeLow, english), "medium");  // although the list begins with disabled
  EXPECT_EQ(TooltipDefault(ControlId::MaxRagdolls, english), "999");
  EXPECT_EQ(TooltipDefault(ControlId::VegetationViewRange, german), "3500.0");
  EXPECT_EQ(FieldText(restored(), ControlId::VegetationViewRange), "3500");
  EXPECT_EQ(TooltipDefault(ControlId::Resolution, english), "1024x768@60Hz");
  EXPECT_EQ(TooltipDefault(ControlId::MeshQuality, german), "ultra hoch");
  EXPECT_EQ(TooltipDefault(ControlId::SaveSettings, english), std::nullopt);
}

// ---- what saving does not spoil ----

TEST_F(MainSettingsTest, FieldThatHoldsNoWholeNumberIsNamedAndNothingIsTaken) {
  using Case = std::pair<ControlId, const char*>;
  for (auto [field, text] : {Case{ControlId::PhysicsViewRange, "12a"}, Case{ControlId::PhysicsViewRange, ""},
                             Case{ControlId::MaxRagdolls, "4294967296"}, Case{ControlId::RoiViewRange, "-1"},
                             Case{ControlId::RoiViewRange, "4000.5"}}) {
    MainSettings settings = restored();
    const MainSettings before = settings;
    auto textOf = [&](ControlId id) { return id == field ? std::string(text) : std::string("7"); };
    EXPECT_EQ(TakeFieldTexts(settings, textOf), field) << text;
    EXPECT_EQ(settings, before);
  }
  MainSettings settings;
  EXPECT_EQ(TakeFieldTexts(settings, [](ControlId) { return std::string("4294967295"); }), std::nullopt);
  EXPECT_EQ(settings.maxRagDolls, 4294967295u);
  EXPECT_EQ(settings.entityRoi, 4294967296.0f);
}

TEST_F(MainSettingsTest, ChoiceWithoutEntryLeavesTheStoredValueAlone) {
  const std::string storedUser =
      "[Options.Video]\r\nResolution.Width=1\r\n[Options.Custom]\r\nDistanceHigh=0\r\nShaderQuality=3\r\n"
      "TextureFilter=9\r\n";
  const std::string storedEngine = "[Engine.Setup]\r\nRender.EnableVegetationRendering=high\r\n";
  writeFiles(storedUser, storedEngine);
  const MainSettings settings = LoadMainSettings(paths, english, {}, {});
  EXPECT_EQ(settings.shaderQuality, -1);  // too short to hold a point
  ASSERT_TRUE(SaveMainSettings(paths, settings));
  EXPECT_EQ(user().substr(0, storedUser.size()), storedUser);
  EXPECT_EQ(engine().substr(0, storedEngine.size()), storedEngine);
  EXPECT_EQ(user().find("Resolution.Height"), std::string::npos);

  MainSettings chosen = settings;
  EnsureResolutionChosen(chosen, kModes);
  EXPECT_EQ(chosen.resolution, "800x600@60Hz");
}

TEST_F(MainSettingsTest, FailedWriteNamesTheFileAndChangesNeitherFile) {
  writeFiles("[Options.Custom]\r\nDistanceHigh=1\r\n", "[Engine.Setup]\r\nEntity.ROI=1\r\n");
  using std::filesystem::perms;
  std::filesystem::permissions(paths.engineIni, perms::owner_write | perms::group_write | perms::others_write,
                               std::filesystem::perm_options::remove);
  const auto result = SaveMainSettings(paths, restored());
  EXPECT_EQ(result.failure, Failure::ReadOnly);
  EXPECT_EQ(result.where, valdor::config::pathText(paths.engineIni));
  EXPECT_EQ(user(), "[Options.Custom]\r\nDistanceHigh=1\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "valdor3"), {}), 1);  // no staged copy left
  valdor::i18n::Translator translator;
  translator.setLanguage("english");
  EXPECT_NE(valdor::i18n::saveMessage(translator, result).find(paths.engineIni.string()), std::string::npos);
  EXPECT_EQ(valdor::i18n::saveMessage(translator, valdor::config::Result::success(paths.engineIni)), "Settings saved!");

  paths.userOptionsIni = dir / "no folder/UserOptions.ini";
  std::filesystem::permissions(paths.engineIni, perms::owner_write, std::filesystem::perm_options::add);
  EXPECT_EQ(SaveMainSettings(paths, restored()).failure, Failure::FolderMissing);
  EXPECT_EQ(engine(), "[Engine.Setup]\r\nEntity.ROI=1\r\n");
}

// ---- by name ----

TEST_F(MainSettingsTest, SettingsAreSetByNameFromEitherLanguage) {
  MainSettings settings;
  EXPECT_EQ(SetMainSetting(settings, "distancehigh", "HOCH", languages, kModes), SetOutcome::Done);
  EXPECT_EQ(settings.distanceHigh, 2);
  EXPECT_EQ(SetMainSetting(settings, "PostProcessing", "Horizontal Blur", languages, kModes), SetOutcome::Done);
  EXPECT_EQ(settings.postProcessing, 2);
  EXPECT_EQ(SetMainSetting(settings, "PostProcessing", "3", languages, kModes), SetOutcome::InvalidValue);
  EXPECT_EQ(SetMainSetting(settings, "Resolution", "640x480@60Hz", languages, kModes), SetOutcome::NotListed);
  EXPECT_EQ(SetMainSetting(settings, "Resolution", "640x480@60", languages, {}), SetOutcome::InvalidValue);
  EXPECT_EQ(SetMainSetting(settings, "resolution", "640X480@60hz", languages, {}), SetOutcome::Done);
  EXPECT_EQ(settings.resolution, "640x480@60Hz");
  EXPECT_EQ(SetMainSetting(settings, "Resolution.Width", "640", languages, {}), SetOutcome::UnknownName);
}

TEST_F(MainSettingsTest, EntriesAreMatchedIgnoringTheCaseOfEveryLetter) {
  MainSettings settings;
  EXPECT_EQ(SetMainSetting(settings, "PostProcessing", "HORIZONTALE UNSCH\xC4RFE", languages, kModes),
            SetOutcome::Done);
  EXPECT_EQ(settings.postProcessing, 2);
}

TEST_F(MainSettingsTest, ShowGivesEverySettingOnceWithEmptyValuesForNoChoice) {
  MainSettings settings = restored();
  settings.textureFilter = -1;
  const auto lines = ShowMainSettings(settings, german);
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[0], "Resolution=1024x768@60Hz");
  EXPECT_EQ(lines[7], "TextureFilter=");
  EXPECT_EQ(lines[13], "VegetationAdmin.ViewRange=3500");
  EXPECT_EQ(lines[23], "Render.ImageLoDQuality=ultra hoch");
}
