#include "main_window/tuning_dlg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "app/dialog_builder.h"
#include "app/fakes.h"
#include "support/temp_dir.h"

void PrintTo(const QString& text, std::ostream* out);  // support/qt_main.cpp

namespace valdor::main_window {
namespace {

class TuningDlgTest : public ::testing::Test {
 protected:
  TuningDlgTest() {
    m_dir.write("game/Ini/ve3.ini", "[Engine.Setup]\r\n");
    m_store.values["INSTALL_DIR"] = (m_dir / "game").string();
  }

  app::StartupOptions options() const { return {std::nullopt, m_dir / "documents", m_dir / "state"}; }

  template <typename T = QWidget>
  static T* find(const QWidget& window, ControlId id) {
    return window.findChild<T*>(QString::number(static_cast<int>(id)));
  }

  test::TempDir m_dir;
  test::FakeSettingsStore m_store;
  test::FakeDialogs m_dialogs;
};

TEST_F(TuningDlgTest, PickingEnglishStoresItAndChangesTheCaptions) {
  CTuningDlg window(m_store, m_dialogs, options());
  ASSERT_TRUE(window.OnInitDialog());
  auto* language = find<QComboBox>(window, ControlId::Language);
  auto* exit = find<QPushButton>(window, ControlId::Exit);
  ASSERT_TRUE(language && exit);
  EXPECT_EQ(language->currentText(), "deutsch");
  EXPECT_EQ(find<QWidget>(window, ControlId::LanguageLabel)->property("text").toString(), "Sprache / language:");
  EXPECT_EQ(exit->text(), "Beenden");

  window.show();
  language->setFocus();
  QTest::keyClick(language, Qt::Key_Down);
  EXPECT_EQ(language->currentText(), "english");
  EXPECT_EQ(m_store.values["V3TU_LANGUAGE"], "english");
  EXPECT_EQ(exit->text(), "quit");
  EXPECT_EQ(find<QWidget>(window, ControlId::Risk)->property("text").toString(),
            "Use of this tool is at your own risk!");
  EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(TuningDlgTest, ALanguageMatchingNoEntrySelectsNoneAndLeavesCaptionsEmpty) {
  m_store.values["V3TU_LANGUAGE"] = "francais";
  CTuningDlg window(m_store, m_dialogs, options());
  ASSERT_TRUE(window.OnInitDialog());
  EXPECT_EQ(find<QComboBox>(window, ControlId::Language)->currentIndex(), -1);
  EXPECT_EQ(find<QPushButton>(window, ControlId::Exit)->text(), "");
  EXPECT_EQ(m_store.values["V3TU_LANGUAGE"], "");
}

TEST_F(TuningDlgTest, TheExitButtonAndEscapeCloseWithoutSaving) {
  {
    CTuningDlg window(m_store, m_dialogs, options());
    ASSERT_TRUE(window.OnInitDialog());
    window.show();
    QTest::mouseClick(find<QPushButton>(window, ControlId::Exit), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
  }
  CTuningDlg window(m_store, m_dialogs, options());
  ASSERT_TRUE(window.OnInitDialog());
  window.show();
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(m_store.values.size(), 2u);  // the folder and the language, nothing else
}

TEST_F(TuningDlgTest, TheExtractedTableGoesWithTheWindow) {
  const auto table = m_dir / "state/translation.ini";
  {
    CTuningDlg window(m_store, m_dialogs, options());
    ASSERT_TRUE(window.OnInitDialog());
    EXPECT_TRUE(std::filesystem::exists(table));
  }
  EXPECT_FALSE(std::filesystem::exists(table));
}

TEST_F(TuningDlgTest, ACancelledLocationEndsBeforeTheWindowShows) {
  m_store.values.clear();
  CTuningDlg window(m_store, m_dialogs, options());
  EXPECT_FALSE(window.OnInitDialog());
  EXPECT_EQ(m_dialogs.messages.size(), 1u);
  EXPECT_TRUE(m_store.values.empty());
}

// ---- layout and look ----

TEST_F(TuningDlgTest, EveryControlOfTheTemplateSitsAtItsDialogUnits) {
  // Liberation Sans at 11 pixels, which fontconfig gives for Arial.
  const auto units = app::dialogUnitsOf(app::dialogFont());
  ASSERT_EQ(units.baseX(), 6);
  ASSERT_EQ(units.baseY(), 12);

  CTuningDlg window(m_store, m_dialogs, options());
  EXPECT_EQ(window.size(), QSize(647, 609));
  EXPECT_EQ(window.windowTitle(), "Valdor 3 Tuning Utility");
  for (const auto& row : kControls) {
    if (row.id == ControlId::None) continue;
    const QWidget* control = find(window, row.id);
    ASSERT_NE(control, nullptr) << static_cast<int>(row.id);
    const QRect expected = app::toQRect(units.toPixels(row.rect));
    EXPECT_EQ(control->pos(), expected.topLeft()) << static_cast<int>(row.id);
    EXPECT_EQ(control->width(), expected.width()) << static_cast<int>(row.id);
    // Combo boxes are as high as closed, the rest as the template says.
    if (row.kind == app::ControlKind::ComboBox) {
      EXPECT_LE(control->height(), units.toPixelsY(14)) << static_cast<int>(row.id);
    } else {
      EXPECT_EQ(control->height(), expected.height()) << static_cast<int>(row.id);
    }
  }
}

TEST_F(TuningDlgTest, TheWindowsColoursReachTheComboPopupAndTheControls) {
  CTuningDlg window(m_store, m_dialogs, options());
  ASSERT_TRUE(window.OnInitDialog());
  const QColor text(220, 150, 0);
  const QColor background(75, 0, 0);
  auto* language = find<QComboBox>(window, ControlId::Language);
  EXPECT_EQ(language->view()->palette().color(QPalette::Base), background);
  EXPECT_EQ(language->view()->palette().color(QPalette::Text), text);
  auto* exit = find<QPushButton>(window, ControlId::Exit);
  EXPECT_EQ(exit->palette().color(QPalette::Button), background);
  EXPECT_EQ(exit->palette().color(QPalette::ButtonText), text);
  EXPECT_TRUE(exit->isDefault());
}

}  // namespace
}  // namespace valdor::main_window
