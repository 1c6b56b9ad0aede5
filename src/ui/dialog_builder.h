#pragma once

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <map>
#include <string_view>

#include "ui/dialog_layout.h"

// Builds a window's controls from its table, in dialog units of its font.
namespace valdor::ui {

// "Arial" 8 point as Windows builds it at 96 DPI: 11 pixels. Asked for by
// pixel size, so the layout does not follow the screen's DPI setting.
QFont dialogFont();

// The base units of a font: the rounded average width of A-Z a-z and the height.
DialogUnits dialogUnitsOf(const QFont& font);

inline QRect toQRect(const PixelRect& rect) { return {rect.x, rect.y, rect.width, rect.height}; }

// One control: the widget of its kind, objectName the numeric id, placed at
// pixels (a combo box gets its closed height only), showing text.
QWidget* createControl(QWidget* parent, ControlKind kind, int id, const QRect& pixels, std::string_view text);

// The caption of a label, button or group box (Windows-1252 bytes).
void setControlText(QWidget* control, std::string_view text);

// A picture control's image, centred in its frame and cut to it when larger,
// as Windows shows a bitmap in a centred picture control.
void setControlPicture(QWidget* control, const QPixmap& picture);

// An edit field that takes digits only: no sign, no point, no blank.
void acceptDigitsOnly(QWidget* control);

// Makes the controls of a table in its order, which is also the focus order,
// and gives them by id. Rows without an id of their own (a negative one, like
// a separator line) are made but not remembered.
template <typename Id, typename Rows>
std::map<Id, QWidget*> buildControls(QWidget* parent, const Rows& rows, const DialogUnits& units) {
  std::map<Id, QWidget*> made;
  for (const auto& row : rows) {
    const int id = static_cast<int>(row.id);
    QWidget* control = createControl(parent, row.kind, id, toQRect(units.toPixels(row.rect)), row.text);
    if (id >= 0) made[row.id] = control;
  }
  return made;
}

// A window of a template: fixed to the template's size in dialog units of its
// font (plus a frame of `edge` pixels on each side), with its controls built
// from the table inside that frame.
template <typename Id, typename Rows>
std::map<Id, QWidget*> buildDialog(QWidget* window, int templateWidth, int templateHeight, const Rows& rows,
                                   int edge = 0) {
  const auto units = dialogUnitsOf(window->font());
  window->setFixedSize(units.toPixelsX(templateWidth) + 2 * edge, units.toPixelsY(templateHeight) + 2 * edge);
  auto made = buildControls<Id>(window, rows, units);
  if (edge != 0) {
    for (auto* control : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      control->move(control->pos() + QPoint(edge, edge));
    }
  }
  return made;
}

}  // namespace valdor::ui
