#include "support/window_driver.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVariant>

namespace valdor::test {

void chooseEntry(const QWidget& window, int id, int index) {
  auto* list = find<QComboBox>(window, id);
  list->setCurrentIndex(index);
  emit list->activated(index);
}

void typeText(const QWidget& window, int id, const QString& text) {
  auto* field = find<QLineEdit>(window, id);
  field->clear();
  QTest::keyClicks(field, text);
}

void typeKeys(const QWidget& window, int id, const QString& text, int position) {
  auto* field = find<QLineEdit>(window, id);
  if (position < 0) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
  } else {
    field->setCursorPosition(position);
  }
  QTest::keyClicks(field, text);
}

void clickButton(const QWidget& window, int id) { QTest::mouseClick(find<QPushButton>(window, id), Qt::LeftButton); }

QString shownText(const QWidget& window, int id) {
  if (auto* list = find<QComboBox>(window, id)) return list->currentText();
  return find(window, id)->property("text").toString();
}

bool showsWholeText(const QWidget& window, int id) {
  auto* field = find<QLineEdit>(window, id);
  // Without the focus no caret is drawn, so only the scrolling shows.
  field->clearFocus();
  field->setCursorPosition(0);
  const QImage start = field->grab().toImage();
  field->setCursorPosition(static_cast<int>(field->text().size()));
  return field->grab().toImage() == start;
}

}  // namespace valdor::test
