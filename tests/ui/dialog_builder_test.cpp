#include "ui/dialog_builder.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <array>

#include "support/qt_print.h"
#include "support/window_driver.h"
#include "ui/window_look.h"

namespace valdor::ui {
namespace {

using test::find;

enum class Id : int { Label = 1, List = 2, Field = 3, Narrow = 4 };
using Row = ControlRow<Id>;

// A window like the cache settings one: a label beside a list and beside a
// field of the width the value fields have there, and a narrow field.
constexpr std::array kRows{
    Row{Id::Label, ControlKind::Label, {13, 67, 50, 9}},
    Row{Id::List, ControlKind::ComboBox, {65, 65, 80, 171}},
    Row{Id::Field, ControlKind::Edit, {65, 100, 41, 14}},
    Row{Id::Narrow, ControlKind::Edit, {65, 120, 19, 14}},
};

class DialogBuilderTest : public ::testing::Test {
 protected:
  DialogBuilderTest() {
    applyWindowLook(&m_window, {{240, 170, 0}, {100, 0, 0}});
    m_controls = buildDialog<Id>(&m_window, 200, 200, kRows, 0, TemplateFont::MsSansSerif8);
  }
  QLineEdit* field(Id id) { return find<QLineEdit>(m_window, id); }

  QWidget m_window;
  std::map<Id, QWidget*> m_controls;
};

// ---- layout ----
TEST_F(DialogBuilderTest, ATemplateIsLaidOutInItsOwnFontsBaseUnits) {
  EXPECT_EQ(m_window.size(), QSize(300, 325));  // 6 x 13 for MS Sans Serif 8 pt
  EXPECT_EQ(field(Id::Field)->geometry(), QRect(98, 163, 62, 23));  // 100 * 13 / 8 = 162.5
}

TEST_F(DialogBuilderTest, ALabelStandsOnTheTextLineOfTheListBesideIt) {
  auto* label = find<QLabel>(m_window, Id::Label);
  auto* list = find<QComboBox>(m_window, Id::List);
  label->setText("image:");
  list->addItem("high");
  const int labelText = label->y();  // drawn from its top
  const int listText = list->y() + (list->height() - list->fontMetrics().height()) / 2;
  EXPECT_NEAR(labelText, listText, 1);
}

TEST_F(DialogBuilderTest, ADropDownListShowsTheRowsItsTemplateRectangleLeavesBelowTheBox) {
  auto* list = find<QComboBox>(m_window, Id::List);
  for (int i = 0; i < 40; ++i) list->addItem(QString("%1x768@60Hz").arg(1000 + i));
  m_window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
  list->showPopup();
  // 171 units are 278 pixels; below the closed box that is about 18 rows, not Qt's 10.
  const QAbstractItemView* view = list->view();
  const int rows = view->viewport()->height() / view->sizeHintForRow(0);
  list->hidePopup();
  EXPECT_GE(rows, 16);
  EXPECT_LE(rows, 19);
  EXPECT_EQ(visibleListRows(108, 20, 14), 6);  // a list of 72 units in the main window
  EXPECT_EQ(visibleListRows(20, 20, 14), 1);
}

TEST_F(DialogBuilderTest, AnEntryWiderThanItsClosedListIsDrawnNarrowerToShowWhole) {
  auto* list = find<QComboBox>(m_window, Id::List);
  const QString entry = QString::fromUtf8("horizontale Unsch\xC3\xA4rfe");
  const int usual = list->fontMetrics().horizontalAdvance(entry);
  list->addItem("aus");
  list->addItem(entry);
  EXPECT_LT(list->fontMetrics().horizontalAdvance(entry), usual);
  list->clear();
  list->addItem("aus");
  EXPECT_EQ(list->fontMetrics().horizontalAdvance(entry), usual);  // back to the window's font
}

// ---- fields ----
TEST_F(DialogBuilderTest, AFittedFieldShowsTheWidest32BitValuesWhole) {
  field(Id::Field)->setText("-2147483648");
  EXPECT_FALSE(test::showsWhole(m_window, Id::Field));  // in the window's font it scrolls
  fitWholeTexts(field(Id::Field), {u"-2147483648", u"4294967295"});
  for (const char* value : {"-2147483648", "4294967295", "1073741824"}) {
    field(Id::Field)->setText(value);
    EXPECT_TRUE(test::showsWhole(m_window, Id::Field)) << value;
  }
}

TEST_F(DialogBuilderTest, AFieldThatDoesNotScrollStopsTakingCharactersWhenFull) {
  for (Id id : {Id::Field, Id::Narrow}) {
    guardField(field(id), {.digitsOnly = true, .stopWhenFull = true});
    test::type(m_window, id, "12345678901234567890");
    EXPECT_LT(field(id)->text().size(), 20) << static_cast<int>(id);
    EXPECT_TRUE(field(id)->text().startsWith("12")) << static_cast<int>(id);
    EXPECT_TRUE(test::showsWhole(m_window, id)) << field(id)->text().toStdString();
    // Deleting still works in a full field, and typing goes on after it.
    QTest::keyClick(field(id), Qt::Key_Backspace);
    QTest::keyClicks(field(id), "9");
    EXPECT_TRUE(field(id)->text().endsWith('9')) << field(id)->text().toStdString();
  }
}

// Qt undoes a refused edit only while the text before it was accepted: a
// negative value read from a file used to let every character in.
TEST_F(DialogBuilderTest, TheDigitsOnlyGuardHoldsWhateverTheFieldHolds) {
  auto* edit = field(Id::Field);
  acceptDigitsOnly(edit);
  for (const char* stored : {"-5", "12", "", "abc"}) {
    edit->setText(stored);
    EXPECT_EQ(edit->text(), stored);  // the program's text is shown as it is
    edit->end(false);
    QTest::keyClicks(edit, "x- .");
    EXPECT_EQ(edit->text(), stored) << stored;
    QTest::keyClicks(edit, "7");
    EXPECT_EQ(edit->text(), QString(stored) + "7") << stored;
    edit->selectAll();
    QTest::keyClicks(edit, "x");
    EXPECT_EQ(edit->text(), QString(stored) + "7") << stored;
  }
  // The sign may be deleted, and a pasted sign is refused like a typed one.
  edit->setText("-5");
  edit->home(false);
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(edit->text(), "5");
  edit->insert("-");
  EXPECT_EQ(edit->text(), "5");
}

}  // namespace
}  // namespace valdor::ui
