#pragma once

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <map>
#include <span>
#include <string_view>
#include <vector>

#include "ui/dialog_layout.h"

// Builds a window's controls from its table, in dialog units of its font.
namespace valdor::ui {

// "Arial" 8 point as Windows builds it at 96 DPI: 11 pixels. Asked for by
// pixel size, so the layout does not follow the screen's DPI setting.
QFont dialogFont();

// The base units of a font: the rounded average width of A-Z a-z and the height.
DialogUnits dialogUnitsOf(const QFont& font);

// The base units a template of font is laid out in, when drawn in drawn.
DialogUnits templateUnits(TemplateFont font, const QFont& drawn);

inline QRect toQRect(const PixelRect& rect) { return {rect.x, rect.y, rect.width, rect.height}; }

// One control: the widget of its kind, objectName the numeric id, placed at
// pixels (a combo box gets its closed height, the rest of its rectangle sets
// how many rows its list shows), showing text.
QWidget* createControl(QWidget* parent, ControlKind kind, int id, const QRect& pixels, std::string_view text);

// The caption of a label, button or group box (Windows-1252 bytes). A button's
// caption that would touch its frame is drawn a little narrower instead.
void setControlText(QWidget* control, std::string_view text);

// The font of a field or label narrowed, as little as needed, so that each of
// widest is shown whole in it.
void fitWholeTexts(QWidget* control, std::initializer_list<QStringView> widest);

// Lifts or lowers each label to the text line of the field or list right
// beside it (its name before it, its unit after it): Qt centres the text of
// those in their box, Windows draws a label's text from its top.
void alignLabelsWithFields(std::span<QWidget* const> labels, std::span<QWidget* const> fields);

// A picture control's image, centred in its frame and cut to it when larger,
// as Windows shows a bitmap in a centred picture control.
void setControlPicture(QWidget* control, const QPixmap& picture);

// A picture of the program's own resources, read by Qt's built-in reader of
// `format` ("BMP", "PNG"). Qt otherwise loads every image plugin, even for a
// named format, to ask whether one of them reads it better.
QPixmap builtInPicture(const QString& path, const char* format);

// What an edit field lets the player type. The rules judge the player's
// edits only: a text the program shows (a negative number read from a file,
// say) stays as it is, but no edit adds a character the rules refuse.
struct FieldRules {
  bool digitsOnly = false;    // no sign, no point, no blank can be typed or pasted
  bool stopWhenFull = false;  // a field that does not scroll takes no more once full
};
void guardField(QWidget* control, FieldRules rules);

// An edit field that takes digits only: no sign, no point, no blank.
inline void acceptDigitsOnly(QWidget* control) { guardField(control, {.digitsOnly = true}); }

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
                                   int edge = 0, TemplateFont font = TemplateFont::Arial8) {
  const auto units = templateUnits(font, window->font());
  window->setFixedSize(units.toPixelsX(templateWidth) + 2 * edge, units.toPixelsY(templateHeight) + 2 * edge);
  auto made = buildControls<Id>(window, rows, units);
  // Every control in the order of the rows, those without an id included.
  const auto madeInOrder = window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  std::vector<QWidget*> labels;
  std::vector<QWidget*> fields;
  if (madeInOrder.size() == static_cast<qsizetype>(std::size(rows))) {
    qsizetype index = 0;
    for (const auto& row : rows) {
      QWidget* control = madeInOrder[index++];
      if (row.kind == ControlKind::Label || row.kind == ControlKind::LabelNoWrap || row.kind == ControlKind::LabelRight)
        labels.push_back(control);
      if (row.kind == ControlKind::Edit || row.kind == ControlKind::ComboBox) fields.push_back(control);
    }
  }
  alignLabelsWithFields(labels, fields);
  if (edge != 0) {
    for (auto* control : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      control->move(control->pos() + QPoint(edge, edge));
    }
  }
  return made;
}

}  // namespace valdor::ui
