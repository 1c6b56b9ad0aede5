#include "cache_window/cache_dlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "ui/dialog_builder.h"
#include "ui/qt_text.h"
#include "support/fakes.h"
#include "support/pe_image.h"
#include "support/qt_print.h"
#include "support/temp_dir.h"
#include "support/window_driver.h"

namespace valdor::cache_window {

void PrintTo(ControlId id, std::ostream* out) { *out << static_cast<int>(id); }

namespace {

using Ids = std::set<ControlId>;

// The ways a player closes the window; Enter in a field presses close, the
// default button.
enum class Closing { EnterInAField, CloseButton, Escape, CloseBox };
constexpr std::array kClosings{Closing::EnterInAField, Closing::CloseButton, Closing::Escape, Closing::CloseBox};

class CacheDlgTest : public ::testing::Test {
 protected:
  CacheDlgTest() {
    m_dir.copySample("game");
    m_paths.engineIni = m_dir / "game/Ini/ve3.ini";
    m_engine = engine();
    m_translator.setLanguage("english");
    m_window = std::make_unique<CCacheDlg>(m_paths, m_translator, m_dialogs);
    m_window->show();
    m_window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    m_before = texts();
  }

  template <typename T = QWidget>
  T* find(ControlId id) const {
    return test::find<T>(*m_window, id);
  }

  QString shown(ControlId id) const { return test::shown(*m_window, id); }

  // Keys typed at the caret's position, or over the whole text.
  void type(ControlId id, const QString& text, int position = -1) { test::typeOver(*m_window, id, text, position); }

  void click(ControlId id) { test::click(*m_window, id); }

  void closeBy(Closing way) {
    switch (way) {
      case Closing::EnterInAField:
        QTest::keyClick(find(ControlId::HighMesh), Qt::Key_Return);
        break;
      case Closing::CloseButton:
        click(ControlId::Close);
        break;
      case Closing::Escape:
        QTest::keyClick(find(ControlId::HighMesh), Qt::Key_Escape);
        break;
      case Closing::CloseBox:
        m_window->close();
        break;
    }
  }

  std::map<ControlId, QString> texts() const {
    std::map<ControlId, QString> all;
    for (const auto& row : kControls) {
      if (row.id != ControlId::None) all[row.id] = shown(row.id);
    }
    return all;
  }

  // The controls whose text differs from when the window opened.
  Ids changed() const {
    Ids ids;
    for (const auto& [id, text] : texts()) {
      if (m_before.at(id) != text) ids.insert(id);
    }
    return ids;
  }

  void expectFigures(const CacheSizes& sizes, CacheColumn column) const {
    const auto figures = RecalcColumn(sizes, column);
    const CacheColumnRow& row = ColumnRowOf(column);
    EXPECT_EQ(shown(row.totalField), QString::number(figures.total));
    EXPECT_EQ(shown(row.totalMegabytes), ui::toQString(figures.totalMegabytes));
    if (!figures.finalCache) return;
    EXPECT_EQ(shown(row.finalField), QString::number(*figures.finalCache));
    EXPECT_EQ(shown(row.finalMegabytes), ui::toQString(figures.finalMegabytes));
  }

  std::string engine() const { return m_dir.read("game/Ini/ve3.ini"); }

  test::TempDir m_dir;
  app::ConfigPaths m_paths;
  i18n::Translator m_translator;
  test::FakeDialogs m_dialogs;
  std::string m_engine;
  std::unique_ptr<CCacheDlg> m_window;
  std::map<ControlId, QString> m_before;
};

// ---- live figures ----

TEST_F(CacheDlgTest, TypingALowValueChangesOnlyTheLowFiguresAndKeepsTheCaret) {
  auto expected = LoadCacheSizes(m_paths.engineIni);
  EXPECT_EQ(m_window->sizes(), expected);
  type(ControlId::LowImage, "7", 1);  // 33554432 becomes 373554432
  EXPECT_EQ(find<QLineEdit>(ControlId::LowImage)->cursorPosition(), 2);  // not rewritten under the caret
  EXPECT_EQ(changed(), (Ids{ControlId::LowImage, ControlId::LowImageMegabytes, ControlId::LowTotal,
                            ControlId::LowTotalMegabytes, ControlId::LowFinal, ControlId::LowFinalMegabytes}));
  expected.value(CacheColumn::Low, CacheCategory::Image) = "373554432";
  EXPECT_EQ(m_window->sizes(), expected);
  EXPECT_EQ(shown(ControlId::LowImageMegabytes), "356.25 MB");
  expectFigures(expected, CacheColumn::Low);
}

TEST_F(CacheDlgTest, TexturesHighChangesOnlyTheFinalCaches) {
  type(ControlId::TexturesHigh, "1048576");
  EXPECT_EQ(changed(), (Ids{ControlId::TexturesHigh, ControlId::TexturesHighMegabytes, ControlId::LowFinal,
                            ControlId::LowFinalMegabytes, ControlId::MediumFinal, ControlId::MediumFinalMegabytes,
                            ControlId::HighFinal, ControlId::HighFinalMegabytes}));
  EXPECT_EQ(shown(ControlId::TexturesHighMegabytes), "1.00 MB");
  for (CacheColumn level : kCacheLevels) expectFigures(m_window->sizes(), level);
}

TEST_F(CacheDlgTest, PlusAndMinusScaleTheColumnByItsPercentage) {
  click(ControlId::MediumIncrease);  // the percentage starts at 0
  EXPECT_TRUE(changed().empty());

  type(ControlId::MediumPercent, "10");
  click(ControlId::MediumIncrease);
  click(ControlId::MediumDecrease);  // from the increased values
  auto expected = LoadCacheSizes(m_paths.engineIni);
  ScaleCacheColumn(expected, CacheColumn::Medium, "10", ScaleDirection::Increase);
  ScaleCacheColumn(expected, CacheColumn::Medium, "10", ScaleDirection::Decrease);
  EXPECT_EQ(m_window->sizes(), expected);
  EXPECT_EQ(shown(ControlId::MediumImage), ui::toQString(expected.value(CacheColumn::Medium, CacheCategory::Image)));
  EXPECT_EQ(shown(ControlId::MediumPercent), "10");
  expectFigures(expected, CacheColumn::Medium);
  for (CacheColumn other : {CacheColumn::Common, CacheColumn::Low, CacheColumn::High}) {
    EXPECT_EQ(shown(ColumnRowOf(other).totalField), m_before.at(ColumnRowOf(other).totalField));
  }
}

// ---- restoring the defaults ----

TEST_F(CacheDlgTest, RestoringAsksFirstAndShowsTheDefaultsWithoutWriting) {
  type(ControlId::TexturesHigh, "5");
  type(ControlId::LowPercent, "25");
  m_before = texts();
  m_dialogs.yesNoAnswers = {false, true};
  click(ControlId::RestoreDefaults);
  EXPECT_EQ(m_dialogs.questions, std::vector<std::string>{"Do you really want to restore the settings?"});
  EXPECT_TRUE(changed().empty());

  click(ControlId::RestoreDefaults);
  EXPECT_EQ(m_window->sizes(), DefaultCacheSizes());
  EXPECT_EQ(shown(ControlId::TexturesHigh), "350000000");
  EXPECT_EQ(shown(ControlId::TexturesHighMegabytes), "333.79 MB");
  EXPECT_EQ(shown(ControlId::LowFinal), "460518000");
  EXPECT_EQ(shown(ControlId::CommonTotalMegabytes), "389.10 MB");
  EXPECT_EQ(shown(ControlId::LowPercent), "25");
  EXPECT_EQ(engine(), m_engine);
}

// ---- saving and closing ----

TEST_F(CacheDlgTest, SavingWritesTheShownTextsThenCloses) {
  type(ControlId::CommonImage, "0128000000");  // the leading zero is kept
  type(ControlId::HighPercent, "150");
  click(ControlId::HighDecrease);  // negative budgets
  click(ControlId::Save);
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_EQ(m_window->result(), QDialog::Accepted);
  EXPECT_TRUE(m_dialogs.messages.empty());

  // The model's bytes for the same values, written into another copy.
  test::TempDir other;
  other.copySample("game");
  const auto otherIni = other / "game/Ini/ve3.ini";
  auto expected = LoadCacheSizes(otherIni);
  expected.value(CacheColumn::Common, CacheCategory::Image) = "0128000000";
  ScaleCacheColumn(expected, CacheColumn::High, "150", ScaleDirection::Decrease);
  ASSERT_TRUE(SaveCacheSizes(expected, otherIni).ok());
  EXPECT_EQ(engine(), test::readBytes(otherIni));
}

TEST_F(CacheDlgTest, AFailedSaveSaysWhyAndKeepsTheWindowWithThePlayersValues) {
  type(ControlId::LowSound, "x-1.5");  // only the digits get in
  EXPECT_EQ(shown(ControlId::LowSound), "15");
  type(ControlId::LowSound, "");
  EXPECT_EQ(shown(ControlId::LowSoundMegabytes), "0.00 MB");  // counts as 0 ...
  click(ControlId::Save);                                     // ... but is not saved
  EXPECT_EQ(m_dialogs.messages, std::vector<std::string>{"Please enter a whole number:\nresource cache - low: sound"});
  EXPECT_TRUE(find(ControlId::LowSound)->hasFocus());

  type(ControlId::LowSound, "123");
  std::filesystem::permissions(m_paths.engineIni, std::filesystem::perms::owner_read);
  click(ControlId::Save);
  ASSERT_EQ(m_dialogs.messages.size(), 2u);
  EXPECT_NE(m_dialogs.messages[1].find(m_paths.engineIni.string()), std::string::npos) << m_dialogs.messages[1];
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(shown(ControlId::LowSound), "123");
  EXPECT_EQ(engine(), m_engine);
}

// ---- edits from outside ----

// Another program's save while the window is open: `from` becomes `to` in the file.
void editOutside(const std::filesystem::path& file, std::string_view from, std::string_view to) {
  std::string bytes = test::readBytes(file);
  const auto at = bytes.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  bytes.replace(at, from.size(), to);
  test::writeBytes(file, bytes);
}

TEST_F(CacheDlgTest, AKeyTheWindowDoesNotOwnChangedOutsideIsKeptWithoutAQuestion) {
  editOutside(m_paths.engineIni, "Render.Device=d3d9", "Render.Device=d3d10");
  type(ControlId::CommonImage, "1000");
  click(ControlId::Save);
  EXPECT_TRUE(m_dialogs.outsideEditQuestions.empty());
  EXPECT_FALSE(m_window->isVisible());
  const std::string saved = engine();
  EXPECT_NE(saved.find("Render.Device=d3d10\r\n"), std::string::npos);
  EXPECT_NE(saved.find("Cache.SizeImage=1000\r\n"), std::string::npos);
}

TEST_F(CacheDlgTest, ABudgetChangedOutsideIsAskedAboutAndEachAnswerDoesWhatItSays) {
  type(ControlId::CommonImage, "1000");
  editOutside(m_paths.engineIni, "Cache.SizeMaterial=41943040", "Cache.SizeMaterial=7");
  const std::string changedOutside = engine();

  // Going back writes nothing and keeps the player's value.
  m_dialogs.outsideEditAnswers = {app::OutsideEditAnswer::GoBack};
  click(ControlId::Save);
  ASSERT_EQ(m_dialogs.outsideEditQuestions.size(), 1u);
  EXPECT_NE(m_dialogs.outsideEditQuestions[0].text.find(m_paths.engineIni.string()), std::string::npos);
  EXPECT_EQ(m_dialogs.outsideEditQuestions[0].takeFiles, "take the file's values");
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(shown(ControlId::CommonImage), "1000");
  EXPECT_EQ(engine(), changedOutside);

  // Taking the file's values shows them, the player's too, and writes nothing.
  m_dialogs.outsideEditAnswers = {app::OutsideEditAnswer::TakeFiles};
  click(ControlId::Save);
  EXPECT_EQ(m_dialogs.outsideEditQuestions.size(), 2u);
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(shown(ControlId::CommonMaterial), "7");
  EXPECT_EQ(shown(ControlId::CommonImage), "134217728");
  EXPECT_EQ(engine(), changedOutside);

  // Once taken, the file's values are what the window loaded: a save asks nothing.
  type(ControlId::CommonImage, "2000");
  editOutside(m_paths.engineIni, "Cache.SizeMaterial=7", "Cache.SizeMaterial=8");
  m_dialogs.outsideEditAnswers = {app::OutsideEditAnswer::Overwrite};
  click(ControlId::Save);
  EXPECT_EQ(m_dialogs.outsideEditQuestions.size(), 3u);
  EXPECT_FALSE(m_window->isVisible());
  const std::string saved = engine();
  EXPECT_NE(saved.find("Cache.SizeImage=2000\r\n"), std::string::npos);
  EXPECT_NE(saved.find("Cache.SizeMaterial=7\r\n"), std::string::npos);  // the window's value over the file's
}

TEST_F(CacheDlgTest, ClosingWithoutChangesAsksNothingAndWritesNothing) {
  for (const auto way : kClosings) {
    m_window = std::make_unique<CCacheDlg>(m_paths, m_translator, m_dialogs);
    m_window->show();
    // A value typed back by hand, and a percentage, which is never saved.
    type(ControlId::HighMesh, "1");
    type(ControlId::HighMesh, m_before.at(ControlId::HighMesh));
    type(ControlId::HighPercent, "50");
    closeBy(way);
    EXPECT_FALSE(m_window->isVisible()) << int(way);
    EXPECT_EQ(m_window->result(), way == Closing::Escape || way == Closing::CloseBox ? QDialog::Rejected
                                                                                       : QDialog::Accepted);
  }
  EXPECT_TRUE(m_dialogs.closeQuestions.empty());
  EXPECT_EQ(engine(), m_engine);
}

TEST_F(CacheDlgTest, ClosingWithChangesAsksToSaveDiscardOrGoBack) {
  for (const auto way : kClosings) {
    for (const auto answer : {app::CloseAnswer::GoBack, app::CloseAnswer::Discard, app::CloseAnswer::Save}) {
      test::writeBytes(m_paths.engineIni, m_engine);
      m_dialogs.closeQuestions.clear();
      m_window = std::make_unique<CCacheDlg>(m_paths, m_translator, m_dialogs);
      m_window->show();
      type(ControlId::HighMesh, "1");
      m_dialogs.closeAnswers = {answer};
      closeBy(way);

      ASSERT_EQ(m_dialogs.closeQuestions.size(), 1u) << int(way);
      const app::CloseQuestion& question = m_dialogs.closeQuestions.front();
      EXPECT_EQ(question.text, "Your changes have not been saved yet.\n\nDo you want to save them?");
      EXPECT_EQ(question.save + "/" + question.discard + "/" + question.goBack, "save/discard/go back");
      EXPECT_EQ(m_window->isVisible(), answer == app::CloseAnswer::GoBack) << int(way);
      EXPECT_EQ(shown(ControlId::HighMesh), "1");
      const auto stored = LoadCacheSizes(m_paths.engineIni).value(CacheColumn::High, CacheCategory::Mesh);
      EXPECT_EQ(stored == "1", answer == app::CloseAnswer::Save) << int(way);
    }
  }
  EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(CacheDlgTest, ASaveThatFailsOnClosingKeepsTheWindowAndTheValues) {
  type(ControlId::HighMesh, "1");
  std::filesystem::permissions(m_paths.engineIni, std::filesystem::perms::owner_read);
  m_dialogs.closeAnswers = {app::CloseAnswer::Save};
  closeBy(Closing::CloseButton);
  EXPECT_EQ(m_dialogs.messages.size(), 1u);
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(shown(ControlId::HighMesh), "1");
  EXPECT_EQ(engine(), m_engine);
}

// ---- look, texts and focus ----

TEST_F(CacheDlgTest, ATitlelessToolWindowInTheDialogFontWithTooltipsNamingDefaults) {
  EXPECT_EQ(m_window->windowType(), Qt::Tool);
  EXPECT_TRUE(m_window->windowTitle().isEmpty());
  EXPECT_EQ(m_window->font(), ui::dialogFont());
  EXPECT_EQ(find(ControlId::LowTotal)->palette().color(QPalette::Base), QColor(100, 0, 0));
  EXPECT_EQ(find(ControlId::LowTotal)->palette().color(QPalette::Text), QColor(240, 170, 0));
  EXPECT_EQ(shown(ControlId::Heading), "CACHE SETTINGS");
  EXPECT_EQ(find(ControlId::CommonImage)->toolTip(), "image cache in bytes\ndefault:128000000");
  EXPECT_EQ(find(ControlId::MediumMaterial)->toolTip(), "material cache in bytes\ndefault:20000");
  EXPECT_EQ(find(ControlId::HighFinal)->toolTip(), "total + high texture cache");
}

TEST_F(CacheDlgTest, FocusStartsInTheCommonImageFieldAndTabsColumnByColumn) {
  std::vector<ControlId> expected;
  for (const CacheColumnRow& row : kCacheColumnRows) {
    for (CacheCategory category : kCacheCategories) expected.push_back(RowOf({row.column, category}).valueField);
    expected.insert(expected.end(), {row.totalField, row.percentField, row.increaseButton, row.decreaseButton,
                                     row.column == CacheColumn::Common ? ControlId::TexturesHigh : row.finalField});
  }
  expected.insert(expected.end(), {ControlId::RestoreDefaults, ControlId::Save, ControlId::Close});
  std::vector<ControlId> tabbed;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    tabbed.push_back(static_cast<ControlId>(QApplication::focusWidget()->objectName().toInt()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(tabbed, expected);
}

// ---- fields shown whole ----
// The fields do not scroll sideways, so a value wider than its field used to
// show only its end: -2147483648 as 147483648, 1500000000 as 500000000.
TEST_F(CacheDlgTest, EveryFieldShowsTheWidest32BitValuesWholeAndEveryMegabyteLabelItsUnit) {
  for (const char* value : {"-2147483648", "4294967295", "1500000000"}) {
    for (const CacheRow& row : kCacheRows) {
      find<QLineEdit>(row.valueField)->setText(value);
      EXPECT_TRUE(test::showsWhole(*m_window, row.valueField)) << value << " " << static_cast<int>(row.valueField);
    }
  }
  for (const CacheColumnRow& row : kCacheColumnRows) {
    for (ControlId sum : {row.totalField, row.finalField}) {
      if (sum == ControlId::None) continue;
      find<QLineEdit>(sum)->setText("4294967295");
      EXPECT_TRUE(test::showsWhole(*m_window, sum)) << static_cast<int>(sum);
    }
  }
  // A wrapped label put its " MB" on a line below its rectangle.
  for (const auto& control : kControls) {
    auto* label = qobject_cast<QLabel*>(find(control.id));
    if (!label || control.kind != ui::ControlKind::LabelRight) continue;
    for (const char* megabytes : {"4096.00 MB", "-2048.00 MB"}) {
      label->setText(megabytes);
      EXPECT_FALSE(label->wordWrap()) << static_cast<int>(control.id);
      EXPECT_LE(label->fontMetrics().horizontalAdvance(megabytes), label->contentsRect().width())
          << megabytes << " " << static_cast<int>(control.id);
    }
  }
}

TEST_F(CacheDlgTest, TypingStopsWhenAFieldIsFullAndAStoredNegativeBudgetShowsWholeAsItsUnsignedBits) {
  type(ControlId::LowImage, "123456789012345678");
  EXPECT_LT(shown(ControlId::LowImage).size(), 18);
  EXPECT_TRUE(test::showsWhole(*m_window, ControlId::LowImage));
  type(ControlId::LowPercent, "123456789");
  EXPECT_TRUE(test::showsWhole(*m_window, ControlId::LowPercent));

  // A negative budget read from the file is the same 32 bits unsigned.
  const std::string engine = m_dir.read("game/Ini/ve3.ini");
  const auto key = engine.find("Cache.SizeImage=");
  ASSERT_NE(key, std::string::npos);
  const auto value = key + std::string_view("Cache.SizeImage=").size();
  m_dir.write("game/Ini/ve3.ini", engine.substr(0, value) + "-2147483648" + engine.substr(engine.find_first_of("\r\n", value)));
  m_window = std::make_unique<CCacheDlg>(m_paths, m_translator, m_dialogs);
  m_window->show();
  ASSERT_EQ(shown(ControlId::CommonImage), "2147483648");
  EXPECT_TRUE(test::showsWhole(*m_window, ControlId::CommonImage));
  type(ControlId::CommonImage, "x-", 1);
  EXPECT_EQ(shown(ControlId::CommonImage), "2147483648");
}

// ---- the game's guards ----

// A window on a scratch game whose executable is a 32-bit image with the
// given characteristics (no executable at all when empty).
class GuardedCacheTest : public ::testing::Test {
 protected:
  void open(std::optional<std::uint16_t> characteristics) {
    m_dir.copySample("game");
    m_paths.engineIni = m_dir / "game/Ini/ve3.ini";
    m_paths.gameExecutable = m_dir / "game/valdor3.exe";
    if (characteristics) test::writeBytes(m_paths.gameExecutable, test::bytesText(test::peImage(*characteristics)));
    m_engine = m_dir.read("game/Ini/ve3.ini");
    m_translator.setLanguage("english");
    m_window = std::make_unique<CCacheDlg>(m_paths, m_translator, m_dialogs);
    m_window->setProcesses(m_processes);
    m_window->show();
  }

  void type(ControlId id, const QString& text) { test::typeOver(*m_window, id, text); }
  QString tooltip(ControlId id) const { return test::find(*m_window, id)->toolTip(); }
  QColor background(ControlId id) const { return test::find(*m_window, id)->palette().color(QPalette::Base); }
  std::string engine() const { return m_dir.read("game/Ini/ve3.ini"); }

  test::TempDir m_dir;
  app::ConfigPaths m_paths;
  i18n::Translator m_translator;
  test::FakeDialogs m_dialogs;
  std::shared_ptr<test::FakeProcesses> m_processes = std::make_shared<test::FakeProcesses>();
  std::string m_engine;
  std::unique_ptr<CCacheDlg> m_window;
};

TEST_F(GuardedCacheTest, AFinalCachePastTheCeilingIsMarkedOnlyWhileItPasses) {
  open(test::kPlainImage);
  const QString plainTip = tooltip(ControlId::HighFinal);
  const QColor plainColour = background(ControlId::HighFinal);
  for (CacheColumn level : kCacheLevels) EXPECT_FALSE(m_window->marksCeiling(level));

  type(ControlId::HighImage, "900000000");  // about 1.4 GB with texturesHigh and the rest
  EXPECT_TRUE(m_window->marksCeiling(CacheColumn::High));
  EXPECT_FALSE(m_window->marksCeiling(CacheColumn::Medium));
  EXPECT_NE(background(ControlId::HighFinal), plainColour);
  EXPECT_EQ(background(ControlId::MediumFinal), plainColour);
  EXPECT_TRUE(tooltip(ControlId::HighFinal).startsWith(plainTip));
  EXPECT_TRUE(tooltip(ControlId::HighFinal).contains("More than 1024.00 MB: half of the 2 GB"))
      << tooltip(ControlId::HighFinal).toStdString();

  // texturesHigh counts in every level's final cache.
  type(ControlId::TexturesHigh, "1000000000");
  for (CacheColumn level : kCacheLevels) EXPECT_TRUE(m_window->marksCeiling(level));

  type(ControlId::TexturesHigh, "0");
  type(ControlId::HighImage, "100663296");
  for (CacheColumn level : kCacheLevels) EXPECT_FALSE(m_window->marksCeiling(level));
  EXPECT_EQ(tooltip(ControlId::HighFinal), plainTip);
  EXPECT_EQ(background(ControlId::HighFinal), plainColour);
  EXPECT_EQ(engine(), m_engine);  // a mark is a hint: nothing is written or refused for it
}

TEST_F(GuardedCacheTest, SavingWhileTheGameRunsAsksAndNoKeepsTheWindowAndTheFile) {
  open(test::kPlainImage);
  m_processes->runGame(m_paths.gameExecutable);
  type(ControlId::LowImage, "1234");
  m_dialogs.yesNoAnswers = {false, true};
  test::click(*m_window, ControlId::Save);
  ASSERT_EQ(m_dialogs.questions.size(), 1u);
  EXPECT_TRUE(m_dialogs.questions[0].starts_with("Valdor 3 is running")) << m_dialogs.questions[0];
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(engine(), m_engine);
  EXPECT_EQ(test::shown(*m_window, ControlId::LowImage), "1234");

  test::click(*m_window, ControlId::Save);
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_NE(engine().find("ResourceCache.u32ImageMaxMemUsage_Low=1234\r\n"), std::string::npos);
}

}  // namespace
}  // namespace valdor::cache_window
