#include "other_window/other_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <utility>

#include "config/profile.h"
#include "other_window/other_controls.h"
#include "support/temp_dir.h"

namespace valdor::other_window {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

const i18n::EntryTexts kEnglish{"disabled", "enabled", "low", "medium", "high", "normal", "ultra high"};
const i18n::EntryTexts kGerman{"deaktiviert", "aktiviert", "niedrig", "mittel", "hoch", "normal", "ultra hoch"};

// The restore defaults saved into a ve3.ini and a debug.ini that did not exist.
constexpr std::string_view kDefaultEngineIni =
    "[Option.Sliders]\r\n"
    "ObjectDetails.fRangedBaseLoDOffset_Low=-300.0\r\n"
    "DistanceHigh.fFarClippingPlane_Low=6000.0\r\n"
    "DistanceLow.fFarClippingPlaneLowPolyMesh_Low=20000.0\r\n"
    "ObjectDetails.fRangedBaseLoDOffset_Medium=0.0\r\n"
    "DistanceHigh.fFarClippingPlane_Medium=8000.0\r\n"
    "DistanceLow.fFarClippingPlaneLowPolyMesh_Medium=45000.0\r\n"
    "ObjectDetails.fRangedBaseLoDOffset_High=300.0\r\n"
    "DistanceHigh.fFarClippingPlane_High=10000.0\r\n"
    "DistanceLow.fFarClippingPlaneLowPolyMesh_High=100000.0\r\n"
    "[Engine.Setup]\r\n"
    "FpS.Average=30.0\r\n"
    "FpS.Min=10.0\r\n"
    "FpS.Max=120.0\r\n"
    "Render.PrefetchGridCellSize=10000\r\n"
    "Render.DOFStart=1000.0\r\n"
    "Render.DOFEnd=8000.0\r\n"
    "Render.GlobalVisualLoDFactor=0.01\r\n"
    "[Camera]\r\n"
    "fMaxDistToPlayer=500.0\r\n"
    "[Game]\r\n"
    "TestMode=false\r\n";
constexpr std::string_view kDefaultDebugIni = "[PropertySets]\r\nPlayerMemory.Enabled=false\r\n";

// A game's Ini folder with the two files the window edits.
struct IniFolder {
  test::TempDir dir;
  fs::path engine = dir / "Ini/ve3.ini";
  fs::path debug = dir / "Ini/debug.ini";

  IniFolder() { fs::create_directories(dir / "Ini"); }
  OtherSettings load() const { return LoadOtherSettings(engine, debug); }
  config::Result save(const OtherSettings& settings) const { return SaveOtherSettings(engine, debug, settings); }
  std::string value(const OtherRow& row) const {
    return config::getProfileString(row.file == OtherFile::Engine ? engine : debug, row.section, row.key, "missing");
  }
  std::string value(ControlId control) const { return value(*FindOtherRow(control)); }
  // One key of ve3.ini stored as given, then the record read back.
  OtherSettings loadStored(std::string_view section, std::string_view key, std::string_view stored) const {
    writeBytes(engine, "[" + std::string(section) + "]\r\n" + std::string(key) + "=" + std::string(stored) + "\r\n");
    return load();
  }
};

// ---- loading and saving ----

TEST(OtherSettings, FilesWithoutTheKeysLoadTheReadDefaultsAndSaveZerosWithOneDecimal) {
  const IniFolder ini;
  writeBytes(ini.engine, "; engine\r\n[Engine.Setup]\r\nRender.Device=d3d9\r\n");
  OtherSettings expected;
  expected.prefetchCellSize = 10000;
  expected.maxDistToPlayer = 500;
  expected.dofStart = 1000;
  expected.dofEnd = 8000;
  expected.levelOfDetail = 0.01f;
  EXPECT_EQ(ini.load(), expected);
  EXPECT_EQ(LoadOtherSettings(ini.dir / "none.ini", ini.dir / "none2.ini"), expected);

  ASSERT_TRUE(ini.save(ini.load()).ok());
  const std::map<ControlId, std::string> others{{ControlId::PrefetchCellSize, "10000"},
                                                {ControlId::MaxDistToPlayer, "500.0"},
                                                {ControlId::DofStart, "1000.0"},
                                                {ControlId::DofEnd, "8000.0"},
                                                {ControlId::LevelOfDetail, "0.01"},
                                                {ControlId::PlayerMemory, "false"},
                                                {ControlId::TestMode, "false"}};
  for (const OtherRow& row : kOtherRows) {
    const auto other = others.find(row.control);
    EXPECT_EQ(ini.value(row), other == others.end() ? "0.0" : other->second) << row.key;
  }
  EXPECT_TRUE(
      readBytes(ini.engine).starts_with("; engine\r\n[Engine.Setup]\r\nRender.Device=d3d9\r\nFpS.Average=0.0\r\n"));
}

TEST(OtherSettings, IntegerReadsStopAtThePointAndFrameRatesTakeTheBitsUnsigned) {
  const IniFolder ini;
  EXPECT_EQ(ini.loadStored("Option.Sliders", "DistanceHigh.fFarClippingPlane_Low", "6000.7").lowViewRangeHigh, 6000);
  ASSERT_TRUE(ini.save(ini.load()).ok());
  EXPECT_EQ(ini.value(ControlId::LowViewRangeHigh), "6000.0");
  EXPECT_EQ(ini.loadStored("Option.Sliders", "DistanceHigh.fFarClippingPlane_Low", "6000").lowViewRangeHigh, 6000);
  EXPECT_EQ(ini.loadStored("Option.Sliders", "ObjectDetails.fRangedBaseLoDOffset_Low", " -300.0").lowViewRangeObjects,
            -300);
  // A value that is not a number reads as 0, an empty one as the default.
  EXPECT_EQ(ini.loadStored("Engine.Setup", "Render.DOFStart", "abc").dofStart, 0);
  EXPECT_EQ(ini.loadStored("Engine.Setup", "Render.DOFStart", "").dofStart, 1000);

  EXPECT_EQ(ini.loadStored("Engine.Setup", "FpS.Min", "-5").fpsMin, 4294967291u);
  ASSERT_TRUE(ini.save(ini.load()).ok());
  EXPECT_EQ(ini.value(ControlId::FpsMin), "4294967291.0");
}

TEST(OtherSettings, DetailFactorKeepsItsFractionAndIsWrittenWithTheGamesRounding) {
  const IniFolder ini;
  // A new factor gets two decimals, an exact half rounded away from zero.
  const std::map<std::string, std::string> typed{
      {"0.015", "0.01"},  // just below the midpoint in single precision
      {"0.025", "0.03"},  {"-.5", "-0.50"},  {"+3.14159", "3.14"}, {"7.", "7.00"}};
  for (const auto& [text, written] : typed) {
    OtherSettings settings = ini.loadStored("Engine.Setup", "Render.GlobalVisualLoDFactor", "1");
    ASSERT_TRUE(SetFieldText(settings, *FindOtherRow(ControlId::LevelOfDetail), text));
    ASSERT_TRUE(ini.save(settings).ok());
    EXPECT_EQ(ini.value(ControlId::LevelOfDetail), written) << text;
  }

  // An untouched factor is rewritten only where two decimals keep its value.
  const std::map<std::string, std::string> untouched{
      {"0.015", "0.015"}, {"+3.14159", "+3.14159"}, {"0.010", "0.01"}, {"abc", "0.00"},
      {"  2.5e-1x", "0.25"}, {"1e", "1.00"},       {"0,75", "0.00"}};
  for (const auto& [stored, written] : untouched) {
    ini.loadStored("Engine.Setup", "Render.GlobalVisualLoDFactor", stored);
    ASSERT_TRUE(ini.save(ini.load()).ok());
    EXPECT_EQ(ini.value(ControlId::LevelOfDetail), written) << stored;
  }
  EXPECT_EQ(ini.loadStored("Engine.Setup", "Render.GlobalVisualLoDFactor", "0.015").levelOfDetail, 0.015f);
}

TEST(OtherSettings, AStoredFactorReadsAlikeInEverySpellingOfItsNumber) {
  const IniFolder ini;
  const std::string huge = "1" + std::string(400, '0');
  const std::vector<std::pair<std::string, std::string>> spellings{
      {"1e-400", "0." + std::string(400, '0') + "1"}, {"1e-400", "1000e-403"}, {"1e390", huge + "e-10"},
      {"-1e400", "-" + huge},                         {"0.25", "25e-2"}};
  for (const auto& [one, other] : spellings) {
    const float first = ini.loadStored("Engine.Setup", "Render.GlobalVisualLoDFactor", one).levelOfDetail;
    const float second = ini.loadStored("Engine.Setup", "Render.GlobalVisualLoDFactor", other).levelOfDetail;
    EXPECT_EQ(first, second) << one;
  }
}

TEST(OtherSettings, AFactorRoundingToTheLargestFloatIsItAndOneBeyondKeepsItsStoredText) {
  const IniFolder ini;
  constexpr float kLargest = std::numeric_limits<float>::max();
  const std::vector<std::pair<std::string, float>> cases{
      {"3.4028235e38", kLargest}, {"-3.4028235e38", -kLargest}, {"3.40282356e38", kLargest},
      {"3.4028236e38", std::numeric_limits<float>::infinity()}};
  for (const auto& [stored, loaded] : cases) {
    EXPECT_EQ(ini.loadStored("Engine.Setup", "Render.GlobalVisualLoDFactor", stored).levelOfDetail, loaded) << stored;
  }

  // The largest float shows as a text its field takes, and a save keeps it.
  OtherSettings largest = ini.loadStored("Engine.Setup", "Render.GlobalVisualLoDFactor", "3.4028235e38");
  EXPECT_EQ(FieldText(largest, ControlId::LevelOfDetail), "3.4028235e+38");
  OtherSettings typed;
  EXPECT_TRUE(SetFieldText(typed, *FindOtherRow(ControlId::LevelOfDetail), "3.4028235e38"));
  EXPECT_EQ(typed.levelOfDetail, kLargest);
  ASSERT_TRUE(ini.save(largest).ok());
  EXPECT_EQ(ini.load().levelOfDetail, kLargest);

  // Beyond the float range: the untouched field is taken, and an unrelated
  // change saves without writing "inf", which would read back as 0.
  OtherSettings beyond = ini.loadStored("Engine.Setup", "Render.GlobalVisualLoDFactor", "1e39");
  const std::string shown = FieldText(beyond, ControlId::LevelOfDetail);
  EXPECT_EQ(shown, "inf");
  EXPECT_EQ(TakeFieldTexts(beyond, [&](ControlId field) { return FieldText(beyond, field); }), std::nullopt);
  EXPECT_EQ(SetOtherSetting(beyond, "FpS.Min", "5", std::array{kEnglish}), SetOutcome::Done);
  ASSERT_TRUE(ini.save(beyond).ok());
  EXPECT_EQ(ini.value(ControlId::LevelOfDetail), "1e39");
  EXPECT_EQ(ini.value(ControlId::FpsMin), "5.0");
  OtherSettings finite;
  EXPECT_FALSE(SetFieldText(finite, *FindOtherRow(ControlId::LevelOfDetail), shown));
}

TEST(OtherSettings, SwitchWordsIgnoreCaseAndAnUnlistedWordKeepsItsKey) {
  const IniFolder ini;
  const std::map<std::string, SwitchPosition> cases{
      {"TRUE", SwitchPosition::On}, {"True", SwitchPosition::On},   {"false", SwitchPosition::Off},
      {"yes", SwitchPosition::Off}, {"1", SwitchPosition::Off},     {"", SwitchPosition::Off},
      {"high", SwitchPosition::None}};
  for (const auto& [word, position] : cases) {
    writeBytes(ini.debug, "[PropertySets]\r\nPlayerMemory.Enabled=" + word + "\r\n");
    EXPECT_EQ(ini.load().playerMemory, position) << word;
  }

  // "high" leaves the list without a choice; saving it untouched keeps the word.
  writeBytes(ini.debug, "[PropertySets]\r\nPlayerMemory.Enabled=high\r\n");
  writeBytes(ini.engine, "[Game]\r\nTestMode=High\r\n");
  const OtherSettings loaded = ini.load();
  EXPECT_EQ(loaded.testMode, SwitchPosition::None);
  ASSERT_TRUE(ini.save(loaded).ok());
  EXPECT_EQ(ini.value(ControlId::PlayerMemory), "high");
  EXPECT_EQ(ini.value(ControlId::TestMode), "High");
}

TEST(OtherSettings, DefaultsSavedByteForByteAndAMissingDebugIniIsCreated) {
  const IniFolder ini;
  ASSERT_FALSE(fs::exists(ini.debug));
  const OtherSettings defaults = DefaultOtherSettings();
  EXPECT_EQ(defaults.fpsMax, 120u);
  EXPECT_EQ(defaults.lowViewRangeObjects, -300);
  EXPECT_EQ(defaults.levelOfDetail, 0.01f);
  ASSERT_TRUE(ini.save(defaults).ok());
  EXPECT_EQ(readBytes(ini.engine), kDefaultEngineIni);
  EXPECT_EQ(readBytes(ini.debug), kDefaultDebugIni);
  // Unchanged values are still rewritten, in their canonical spelling.
  writeBytes(ini.engine, std::string(kDefaultEngineIni).replace(kDefaultEngineIni.find("6000.0"), 6, "6000"));
  ASSERT_TRUE(ini.save(defaults).ok());
  EXPECT_EQ(readBytes(ini.engine), kDefaultEngineIni);
}

TEST(OtherSettings, AFailedWriteNamesTheFileAndLeavesBothFilesAsTheyWere) {
  const auto readOnly = [](const fs::path& file) {
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  };
  OtherSettings changed = DefaultOtherSettings();
  changed.playerMemory = SwitchPosition::On;
  for (const bool debugFails : {false, true}) {
    const IniFolder ini;
    writeBytes(ini.engine, "[Game]\r\nTestMode=true\r\n");
    writeBytes(ini.debug, "[PropertySets]\r\nPlayerMemory.Enabled=false\r\n");
    readOnly(debugFails ? ini.debug : ini.engine);
    const auto result = ini.save(changed);
    EXPECT_EQ(result.failure, config::Failure::ReadOnly);
    EXPECT_EQ(result.where, valdor::config::pathText(debugFails ? ini.debug : ini.engine));
    EXPECT_EQ(readBytes(ini.engine), "[Game]\r\nTestMode=true\r\n");
    EXPECT_EQ(readBytes(ini.debug), "[PropertySets]\r\nPlayerMemory.Enabled=false\r\n");
  }
  const IniFolder ini;
  const auto result = SaveOtherSettings(ini.engine, ini.dir / "gone/debug.ini", changed);
  EXPECT_EQ(result.failure, config::Failure::FolderMissing);
  EXPECT_FALSE(fs::exists(ini.engine));
}

// ---- fields ----

TEST(OtherSettings, FieldsTakeNumbersOfTheirKindWithBlanksAround) {
  const std::vector<std::tuple<ControlId, std::string, bool>> cases{
      {ControlId::LowViewRangeHigh, " 42\t", true},        {ControlId::LowViewRangeHigh, "", false},
      {ControlId::LowViewRangeHigh, "300.5", false},       {ControlId::LowViewRangeHigh, "1 000", false},
      {ControlId::LowViewRangeObjects, "-2147483648", true}, {ControlId::LowViewRangeObjects, "2147483648", false},
      {ControlId::PrefetchCellSize, "+7", true},           {ControlId::PrefetchCellSize, "+-7", false},
      {ControlId::FpsMin, "-1", false},                    {ControlId::FpsMin, "4294967295", true},
      {ControlId::FpsMin, "4294967296", false},            {ControlId::FpsMin, "-0", false},
      {ControlId::LevelOfDetail, " 0.5 ", true},           {ControlId::LevelOfDetail, "1e-2", true},
      {ControlId::LevelOfDetail, "0,01", false},           {ControlId::LevelOfDetail, "1e39", false},
      {ControlId::LevelOfDetail, "inf", false},            {ControlId::LevelOfDetail, "-3.4028235e38", true},
      {ControlId::LevelOfDetail, ".", false},              {ControlId::LevelOfDetail, "", false},
      {ControlId::LevelOfDetail, "1e-400", true},          {ControlId::LevelOfDetail, "0." + std::string(400, '0') + "1", true},
      {ControlId::LevelOfDetail, "1" + std::string(39, '0'), false}};
  for (const auto& [field, text, taken] : cases) {
    OtherSettings settings;
    settings.fpsMin = 9;
    const OtherSettings before = settings;
    EXPECT_EQ(SetFieldText(settings, *FindOtherRow(field), text), taken) << text;
    if (!taken) {
      EXPECT_EQ(settings, before) << text;
    }
  }
}

TEST(OtherSettings, ARefusedFieldIsNamedAndNothingIsTaken) {
  const IniFolder ini;
  ASSERT_TRUE(ini.save(DefaultOtherSettings()).ok());
  OtherSettings settings = ini.load();
  std::map<ControlId, std::string> texts;
  for (const OtherRow* row : FieldRowsInExchangeOrder()) texts[row->control] = FieldText(settings, row->control);
  const auto textOf = [&texts](ControlId field) { return texts.at(field); };

  texts[ControlId::FpsMax] = "60";
  texts[ControlId::LowViewRangeHigh] = "300.5";
  texts[ControlId::MediumViewRangeHigh] = "x";
  EXPECT_EQ(TakeFieldTexts(settings, textOf), ControlId::LowViewRangeHigh);  // taken before medium
  EXPECT_EQ(settings, ini.load());

  texts[ControlId::LowViewRangeHigh] = texts[ControlId::MediumViewRangeHigh] = "6500";
  texts[ControlId::FpsAverage] = "-1";
  EXPECT_EQ(TakeFieldTexts(settings, textOf), ControlId::FpsAverage);
  texts[ControlId::FpsAverage] = "4294967295";
  EXPECT_EQ(TakeFieldTexts(settings, textOf), std::nullopt);
  ASSERT_TRUE(ini.save(settings).ok());
  EXPECT_EQ(ini.value(ControlId::FpsAverage), "4294967295.0");
  EXPECT_EQ(ini.value(ControlId::FpsMax), "60.0");
  EXPECT_EQ(ini.value(ControlId::MediumViewRangeHigh), "6500.0");
}

TEST(OtherSettings, AFieldsTextReadsBackAsTheSameValue) {
  OtherSettings settings = DefaultOtherSettings();
  settings.levelOfDetail = 1234.565f;  // six significant digits would give 1234.57
  settings.fpsMin = 4294967291u;
  settings.dofEnd = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(FieldText(settings, ControlId::LevelOfDetail), "1234.565");
  EXPECT_EQ(FieldText(DefaultOtherSettings(), ControlId::LevelOfDetail), "0.01");
  EXPECT_EQ(FieldText(settings, ControlId::FpsMin), "4294967291");
  OtherSettings taken;
  taken.playerMemory = settings.playerMemory;
  taken.testMode = settings.testMode;
  EXPECT_EQ(TakeFieldTexts(taken, [&](ControlId field) { return FieldText(settings, field); }), std::nullopt);
  EXPECT_EQ(taken, settings);
}

// ---- lists, tooltips and names ----

TEST(OtherSettings, TooltipsAnnounceTheRestoreTextsAndTheSwitchesInTheirLanguage) {
  EXPECT_EQ(TooltipDefault(ControlId::LowViewRangeObjects, kEnglish), "-300.0");
  EXPECT_EQ(TooltipDefault(ControlId::FpsMax, kEnglish), "120");
  EXPECT_EQ(TooltipDefault(ControlId::LevelOfDetail, kEnglish), "0.01");
  EXPECT_EQ(TooltipDefault(ControlId::PlayerMemory, kEnglish), "disabled");
  EXPECT_EQ(TooltipDefault(ControlId::TestMode, kGerman), "deaktiviert");
  EXPECT_EQ(TooltipDefault(ControlId::Save, kEnglish), std::nullopt);
}

TEST(OtherSettings, SwitchesAreWrittenAsWordsWhateverTheLanguage) {
  const IniFolder ini;
  const std::array languages{kEnglish, kGerman};
  OtherSettings settings;
  EXPECT_EQ(SetOtherSetting(settings, "playermemory.enabled", "Aktiviert", languages), SetOutcome::Done);
  EXPECT_EQ(SetOtherSetting(settings, "TestMode", "DISABLED", languages), SetOutcome::Done);
  EXPECT_EQ(SetOtherSetting(settings, "TestMode", "true", languages), SetOutcome::InvalidValue);
  EXPECT_EQ(SetOtherSetting(settings, "fps.max", "75", languages), SetOutcome::Done);
  EXPECT_EQ(SetOtherSetting(settings, "FpS.Maximum", "75", languages), SetOutcome::UnknownName);
  ASSERT_TRUE(ini.save(settings).ok());
  EXPECT_EQ(ini.value(ControlId::PlayerMemory), "true");
  EXPECT_EQ(ini.value(ControlId::TestMode), "false");
  EXPECT_EQ(ini.value(ControlId::FpsMax), "75.0");

  // A table without the entry texts: nothing to choose by text, the words stay.
  const std::array blank{i18n::EntryTexts{}};
  EXPECT_EQ(SetOtherSetting(settings, "TestMode", "", blank), SetOutcome::InvalidValue);
  settings.testMode = SwitchPosition::On;
  ASSERT_TRUE(ini.save(settings).ok());
  EXPECT_EQ(ini.value(ControlId::TestMode), "true");
  EXPECT_EQ(ini.value(ControlId::PlayerMemory), "true");

  settings.testMode = SwitchPosition::None;
  const auto lines = ShowOtherSettings(settings, kGerman);
  ASSERT_EQ(lines.size(), 19u);
  EXPECT_EQ(lines[0], "ObjectDetails.fRangedBaseLoDOffset_Low=0");
  EXPECT_EQ(lines[17], "PlayerMemory.Enabled=aktiviert");
  EXPECT_EQ(lines[18], "TestMode=");
}

// ---- orders ----

TEST(OtherSettings, ReadingOrderIsTheLeftColumnThenTheRightFromTopToBottom) {
  // Where the template places the controls: column by column, then down.
  const auto placeOf = [](ControlId id) {
    const auto found =
        std::find_if(kControls.begin(), kControls.end(), [id](const auto& control) { return control.id == id; });
    return found == kControls.end() ? std::pair{-1, -1} : std::pair{found->rect.x, found->rect.y};
  };
  const auto rows = OtherRowsInReadingOrder();
  ASSERT_EQ(rows.size(), kOtherRows.size());
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_LT(placeOf(rows[i - 1]->control), placeOf(rows[i]->control)) << rows[i]->key;
  }
}

}  // namespace
}  // namespace valdor::other_window
