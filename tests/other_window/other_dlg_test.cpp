#include "other_window/other_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "ui/qt_text.h"
#include "config/profile.h"
#include "i18n/entry_texts.h"
#include "other_window/other_controls.h"
#include "support/fakes.h"
#include "support/qt_print.h"
#include "support/temp_dir.h"
#include "support/window_driver.h"

namespace valdor::other_window {
namespace {

using namespace test;  // find, type, choose, click, shown

namespace fs = std::filesystem;

app::ConfigPaths pathsIn(const fs::path& folder) {
  app::ConfigPaths paths;
  paths.engineIni = folder / "game/Ini/ve3.ini";
  paths.debugIni = folder / "game/Ini/debug.ini";
  return paths;
}

class OtherSettingsDlgTest : public ::testing::Test {
 protected:
  OtherSettingsDlgTest() {
    m_dir.copySample("game");
    m_translator.setLanguage("deutsch");
    m_engine = engine();
    m_debug = debug();
  }

  std::unique_ptr<COtherSettingsDlg> open() {
    auto window = std::make_unique<COtherSettingsDlg>(m_paths, m_translator, m_dialogs);
    window->show();
    return window;
  }

  std::string engine() const { return m_dir.read("game/Ini/ve3.ini"); }
  std::string debug() const { return m_dir.read("game/Ini/debug.ini"); }
  std::string stored(const OtherRow& row) const {
    const auto& file = row.file == OtherFile::Engine ? m_paths.engineIni : m_paths.debugIni;
    return config::getProfileString(file, row.section, row.key, "missing");
  }

  void expectNothingWritten() const {
    EXPECT_EQ(engine(), m_engine);
    EXPECT_EQ(debug(), m_debug);
  }

  test::TempDir m_dir;
  app::ConfigPaths m_paths = pathsIn(m_dir.path());
  i18n::Translator m_translator{fs::path(VALDOR_SOURCE_DIR) / "src/res/translation.ini"};
  test::FakeDialogs m_dialogs;
  std::string m_engine;
  std::string m_debug;
};

// ---- showing and saving ----

TEST_F(OtherSettingsDlgTest, OpensWithTheStoredValuesAndSavesThePlayersInGerman) {
  auto window = open();
  const auto loaded = LoadOtherSettings(m_paths.engineIni, m_paths.debugIni);
  EXPECT_EQ(window->settings(), loaded);
  for (const OtherRow* row : FieldRowsInExchangeOrder()) {
    EXPECT_EQ(shown(*window, row->control), ui::toQString(FieldText(loaded, row->control)));
  }
  EXPECT_EQ(shown(*window, ControlId::LowViewRangeObjects), "-250");
  EXPECT_EQ(shown(*window, ControlId::LevelOfDetail), "0.02");
  auto* memory = find<QComboBox>(*window, ControlId::PlayerMemory);
  ASSERT_EQ(memory->count(), 2);
  EXPECT_EQ(memory->itemText(0), "deaktiviert");
  EXPECT_EQ(memory->currentText(), "aktiviert");
  EXPECT_EQ(shown(*window, ControlId::Close), "schließen");

  choose(*window, ControlId::PlayerMemory, 0);
  choose(*window, ControlId::TestMode, 1);
  type(*window, ControlId::FpsMax, " 4294967295 ");  // the largest unsigned value, blanks around it
  type(*window, ControlId::LevelOfDetail, "0.5");
  click(*window, ControlId::Save);

  EXPECT_TRUE(m_dialogs.messages.empty());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Accepted);
  EXPECT_EQ(stored(*FindOtherRow(ControlId::PlayerMemory)), "false");
  EXPECT_EQ(stored(*FindOtherRow(ControlId::TestMode)), "true");
  EXPECT_EQ(stored(*FindOtherRow(ControlId::FpsMax)), "4294967295.0");
  EXPECT_EQ(stored(*FindOtherRow(ControlId::LevelOfDetail)), "0.50");
  // Every other key is rewritten in the game's format: a stored 5000.0 stays 5000.0.
  EXPECT_EQ(stored(*FindOtherRow(ControlId::LowViewRangeHigh)), "5000.0");
  EXPECT_EQ(stored(*FindOtherRow(ControlId::PrefetchCellSize)), "8000");
}

TEST_F(OtherSettingsDlgTest, AnUntouchedListWithoutAChoiceKeepsItsStoredWord) {
  ASSERT_TRUE(config::writeProfileString(m_paths.debugIni, "PropertySets", "PlayerMemory.Enabled", "high").ok());
  auto window = open();
  EXPECT_EQ(find<QComboBox>(*window, ControlId::PlayerMemory)->currentIndex(), -1);
  choose(*window, ControlId::TestMode, 0);
  click(*window, ControlId::Save);
  EXPECT_EQ(stored(*FindOtherRow(ControlId::PlayerMemory)), "high");
  EXPECT_EQ(stored(*FindOtherRow(ControlId::TestMode)), "false");
}

// ---- fields that hold no number of their kind ----

TEST_F(OtherSettingsDlgTest, AFractionInAViewRangeIsNamedFocusedAndNothingIsWritten) {
  auto window = open();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  choose(*window, ControlId::TestMode, 0);
  type(*window, ControlId::FpsAverage, "50");  // taken before the refused field: still not written
  type(*window, ControlId::HighViewRangeObjects, "300.5");
  click(*window, ControlId::Save);

  EXPECT_EQ(m_dialogs.messages, std::vector<std::string>{"Bitte geben Sie eine ganze Zahl ein:\nSichtweite Objekte"});
  auto* refused = find<QLineEdit>(*window, ControlId::HighViewRangeObjects);
  EXPECT_TRUE(refused->hasFocus());
  EXPECT_EQ(refused->selectedText(), "300.5");
  EXPECT_TRUE(window->isVisible());
  expectNothingWritten();

  // Saving on the way out takes the fields too, and stays open for the same field.
  m_dialogs.closeAnswers = {app::CloseAnswer::Save};
  click(*window, ControlId::Close);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(m_dialogs.messages.size(), 2u);
  expectNothingWritten();
}

TEST_F(OtherSettingsDlgTest, EachKindRefusesWhatItCannotHold) {
  m_translator.setLanguage("english");
  struct Case {
    ControlId field;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {ControlId::FpsMin, "-1", "Please enter a whole number without a minus sign:\nmin FPS"},
      {ControlId::DofEnd, "", "Please enter a whole number:\nbloom effect end"},
      {ControlId::HighViewRangeHigh, "10 000", "Please enter a whole number:\nview range high quality"},
      {ControlId::LevelOfDetail, "0,5", "Please enter a number, with a point before the decimals:\nlevel detail factor"},
  };
  for (const Case& c : cases) {
    auto window = open();
    m_dialogs.messages.clear();
    type(*window, c.field, c.text);
    click(*window, ControlId::Save);
    EXPECT_EQ(m_dialogs.messages, std::vector<std::string>{c.message}) << c.text;
    EXPECT_TRUE(window->isVisible()) << c.text;
  }
  expectNothingWritten();
}

// ---- restoring the defaults ----

TEST_F(OtherSettingsDlgTest, RestoringAsksFirstAndOnlySavingWritesTheDefaults) {
  auto window = open();
  type(*window, ControlId::DofStart, "1234");
  m_dialogs.yesNoAnswers = {false, true};
  click(*window, ControlId::RestoreSettings);
  EXPECT_EQ(m_dialogs.questions, std::vector<std::string>{"Wollen Sie die Einstellungen wirklich wiederherstellen?"});
  EXPECT_EQ(shown(*window, ControlId::DofStart), "1234");

  click(*window, ControlId::RestoreSettings);
  EXPECT_EQ(shown(*window, ControlId::DofStart), "1000");
  EXPECT_EQ(shown(*window, ControlId::LowViewRangeObjects), "-300");
  EXPECT_EQ(shown(*window, ControlId::LevelOfDetail), "0.01");
  EXPECT_EQ(shown(*window, ControlId::PlayerMemory), "deaktiviert");
  EXPECT_EQ(shown(*window, ControlId::TestMode), "deaktiviert");
  expectNothingWritten();

  click(*window, ControlId::Save);
  // What the model writes for the defaults into another copy of the same files.
  test::TempDir other;
  other.copySample("game");
  const auto paths = pathsIn(other.path());
  ASSERT_TRUE(SaveOtherSettings(paths.engineIni, paths.debugIni, DefaultOtherSettings()).ok());
  EXPECT_EQ(engine(), test::readBytes(paths.engineIni));
  EXPECT_EQ(debug(), test::readBytes(paths.debugIni));
}

// ---- failures and closing ----

TEST_F(OtherSettingsDlgTest, AReadOnlyEngineFileIsNamedAndTheWindowKeepsThePlayersValues) {
  fs::permissions(m_paths.engineIni, fs::perms::owner_read);
  auto window = open();
  choose(*window, ControlId::PlayerMemory, 0);
  type(*window, ControlId::DofEnd, "7777");
  click(*window, ControlId::Save);

  ASSERT_EQ(m_dialogs.messages.size(), 1u);
  EXPECT_NE(m_dialogs.messages[0].find(m_paths.engineIni.string()), std::string::npos) << m_dialogs.messages[0];
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(shown(*window, ControlId::DofEnd), "7777");
  EXPECT_EQ(shown(*window, ControlId::PlayerMemory), "deaktiviert");
  EXPECT_EQ(debug(), m_debug);  // both files or neither
}

TEST_F(OtherSettingsDlgTest, SavingWhileTheGameRunsAsksAndNoWritesNeitherFile) {
  m_paths.gameExecutable = m_dir / "game/valdor3.exe";
  auto processes = std::make_shared<test::FakeProcesses>();
  processes->runGame(m_paths.gameExecutable);
  auto window = open();
  window->setProcesses(processes);
  type(*window, ControlId::DofEnd, "7777");
  m_dialogs.yesNoAnswers = {false};
  click(*window, ControlId::Save);
  ASSERT_EQ(m_dialogs.questions.size(), 1u);
  EXPECT_TRUE(m_dialogs.questions[0].starts_with("Valdor 3 l\xC3\xA4uft gerade:")) << m_dialogs.questions[0];
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(shown(*window, ControlId::DofEnd), "7777");
  expectNothingWritten();
}

TEST_F(OtherSettingsDlgTest, EnterClosesWithoutSavingAndEscapeWithoutTakingTheFields) {
  auto window = open();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  auto* first = find<QLineEdit>(*window, ControlId::LowViewRangeObjects);
  EXPECT_EQ(QApplication::focusWidget(), first);
  const QString stored = first->text();
  type(*window, ControlId::LowViewRangeObjects, "-1");
  type(*window, ControlId::LowViewRangeObjects, stored);  // typed back: no change
  QTest::keyClick(first, Qt::Key_Return);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Accepted);
  expectNothingWritten();

  auto again = open();
  type(*again, ControlId::LevelOfDetail, "none");
  m_dialogs.closeAnswers = {app::CloseAnswer::Discard};
  QTest::keyClick(again.get(), Qt::Key_Escape);
  EXPECT_FALSE(again->isVisible());
  EXPECT_EQ(again->result(), QDialog::Rejected);
  EXPECT_TRUE(m_dialogs.messages.empty());
  EXPECT_EQ(m_dialogs.closeQuestions.size(), 1u);
  expectNothingWritten();
}

TEST_F(OtherSettingsDlgTest, ClosingWithChangesAsksToSaveDiscardOrGoBack) {
  enum class Closing { EnterInAField, CloseButton, Escape, CloseBox };
  for (const auto way : {Closing::EnterInAField, Closing::CloseButton, Closing::Escape, Closing::CloseBox}) {
    for (const auto answer : {app::CloseAnswer::GoBack, app::CloseAnswer::Discard, app::CloseAnswer::Save}) {
      test::writeBytes(m_paths.engineIni, m_engine);
      m_dialogs.closeQuestions.clear();
      auto window = open();
      type(*window, ControlId::FpsAverage, "45");
      m_dialogs.closeAnswers = {answer};
      switch (way) {
        case Closing::EnterInAField:
          QTest::keyClick(find(*window, ControlId::FpsAverage), Qt::Key_Return);
          break;
        case Closing::CloseButton:
          click(*window, ControlId::Close);
          break;
        case Closing::Escape:
          QTest::keyClick(window.get(), Qt::Key_Escape);
          break;
        case Closing::CloseBox:
          window->close();
          break;
      }
      ASSERT_EQ(m_dialogs.closeQuestions.size(), 1u) << int(way);
      EXPECT_EQ(m_dialogs.closeQuestions.front().goBack, "zurück");
      EXPECT_EQ(window->isVisible(), answer == app::CloseAnswer::GoBack) << int(way);
      EXPECT_EQ(engine() == m_engine, answer != app::CloseAnswer::Save) << int(way);
    }
  }
  EXPECT_TRUE(m_dialogs.messages.empty());
}

// ---- texts, tooltips and look ----

TEST_F(OtherSettingsDlgTest, EveryValuesTooltipEndsWithItsDefault) {
  m_translator.setLanguage("english");
  auto window = open();
  const auto tip = [&](ControlId id) { return find(*window, id)->toolTip(); };
  EXPECT_EQ(tip(ControlId::LowViewRangeObjects), "view range objects\ndefault:-300.0");
  EXPECT_EQ(tip(ControlId::HighViewRangeObjects), "view range objects\ndefault:300.0");
  EXPECT_EQ(tip(ControlId::FpsMax), "max FPS\ndefault:120");
  EXPECT_EQ(tip(ControlId::LevelOfDetail), "level detail factor\ndefault:0.01");
  EXPECT_EQ(tip(ControlId::TestMode), "test mode\ndefault:disabled");
  const auto entries = i18n::EntryTexts::fromTranslator(m_translator);
  for (const OtherRow& row : kOtherRows) {
    EXPECT_TRUE(tip(row.control).endsWith(ui::toQString(*TooltipDefault(row.control, entries)))) << row.key;
  }
  EXPECT_EQ(tip(ControlId::Close), "");
}

TEST_F(OtherSettingsDlgTest, EveryControlIsThereReachableAndInTheWindowsColours) {
  auto window = open();
  EXPECT_EQ(window->size(), QSize(527, 556));  // 351 by 342 dialog units of the template's font, 6 by 13
  for (const auto& row : kControls) {
    if (row.id == ControlId::None) continue;
    EXPECT_NE(find(*window, row.id), nullptr) << static_cast<int>(row.id);
  }
  // The group box drawn after the prefetch field lets the mouse through to it.
  auto* prefetch = find(*window, ControlId::PrefetchCellSize);
  EXPECT_EQ(window->childAt(prefetch->geometry().center()), prefetch);

  auto* close = find<QPushButton>(*window, ControlId::Close);
  EXPECT_TRUE(close->isDefault());
  EXPECT_EQ(close->palette().color(QPalette::ButtonText), QColor(240, 170, 0));
  EXPECT_EQ(find<QLineEdit>(*window, ControlId::DofEnd)->palette().color(QPalette::Base), QColor(100, 0, 0));
  EXPECT_EQ(find<QLineEdit>(*window, ControlId::DofEnd)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

// The fields do not scroll sideways: a signed value used to lose its sign.
TEST_F(OtherSettingsDlgTest, EveryFieldShowsTheWidestWholeNumberWholeAndStopsTakingCharactersWhenFull) {
  auto window = open();
  for (const OtherRow& row : kOtherRows) {
    if (row.kind == OtherKind::Switch) continue;
    find<QLineEdit>(*window, row.control)->setText("-2147483648");
    EXPECT_TRUE(showsWhole(*window, row.control)) << static_cast<int>(row.control);
  }
  typeOver(*window, ControlId::LowViewRangeObjects, "abcdefghijklmnopqrstuvwxyz");
  const QString typed = shown(*window, ControlId::LowViewRangeObjects);
  EXPECT_TRUE(typed.startsWith("abc"));
  EXPECT_LT(typed.size(), 26);
  EXPECT_TRUE(showsWhole(*window, ControlId::LowViewRangeObjects));
}

}  // namespace
}  // namespace valdor::other_window
