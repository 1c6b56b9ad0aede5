#pragma once

#include <QComboBox>
#include <QString>
#include <QWidget>

// Drives a window of a template the way a player does: controls are found by
// their numeric id (their object name), entries chosen, keys typed, buttons
// clicked.
namespace valdor::test {

// The control of id, when it is a T.
template <typename T = QWidget, typename Id>
T* find(const QWidget& window, Id id) {
  return window.findChild<T*>(QString::number(static_cast<int>(id)));
}

// A player's choice: the entry becomes current and the box says so.
void chooseEntry(const QWidget& window, int id, int index);
template <typename Id>
void choose(const QWidget& window, Id id, int index) {
  chooseEntry(window, static_cast<int>(id), index);
}

// The field is emptied without a key, then text is typed into it.
void typeText(const QWidget& window, int id, const QString& text);
template <typename Id>
void type(const QWidget& window, Id id, const QString& text) {
  typeText(window, static_cast<int>(id), text);
}

// Keys only: the whole text selected and deleted with Backspace, then text
// typed; or, with a position, text typed at the caret put there.
void typeKeys(const QWidget& window, int id, const QString& text, int position);
template <typename Id>
void typeOver(const QWidget& window, Id id, const QString& text, int position = -1) {
  typeKeys(window, static_cast<int>(id), text, position);
}

// A left click in the middle of the button.
void clickButton(const QWidget& window, int id);
template <typename Id>
void click(const QWidget& window, Id id) {
  clickButton(window, static_cast<int>(id));
}

// What the control shows: a list its current entry, any other its text.
QString shownText(const QWidget& window, int id);
template <typename Id>
QString shown(const QWidget& window, Id id) {
  return shownText(window, static_cast<int>(id));
}

// Whether a field shows its whole text: it looks the same with the caret at
// either end, so nothing has scrolled out of sight.
bool showsWholeText(const QWidget& window, int id);
template <typename Id>
bool showsWhole(const QWidget& window, Id id) {
  return showsWholeText(window, static_cast<int>(id));
}

}  // namespace valdor::test
