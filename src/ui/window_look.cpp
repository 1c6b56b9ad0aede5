#include "ui/window_look.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QProxyStyle>
#include <QPushButton>
#include <QStringList>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTextLayout>
#include <QToolTip>

#include "ui/dialog_builder.h"

namespace valdor::ui {

namespace {

// Fusion takes its colours from the palette, unlike the native styles, which
// ignore it for buttons and combo boxes; this draws the frames of buttons and
// group boxes flat, one line of the text colour, as the windows were designed.
class FlatStyle final : public QProxyStyle {
 public:
  FlatStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    switch (element) {
      case PE_PanelButtonCommand: {
        const bool down = option->state & (State_Sunken | State_On);
        painter->save();
        painter->fillRect(option->rect, option->palette.color(down ? QPalette::Dark : QPalette::Button));
        // The default button, the one Enter presses, has a double frame.
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        const bool isDefault = button && (button->features & QStyleOptionButton::DefaultButton);
        drawFrame(painter, option->rect, option->palette.color(QPalette::ButtonText), isDefault ? 2 : 1);
        painter->restore();
        // A button with the focus is the default one too, so the focus needs
        // a mark of its own. Combo boxes draw their frame here as well and mark
        // their focus on the entry.
        if ((option->state & State_HasFocus) && qobject_cast<const QPushButton*>(widget)) {
          drawFocus(painter, option->rect.adjusted(3, 3, -3, -3), option->palette.color(QPalette::ButtonText));
        }
        return;
      }
      case PE_FrameLineEdit: {
        // The field with the focus has a double frame besides its caret, which
        // a read-only field does not show.
        painter->save();
        drawFrame(painter, option->rect, option->palette.color(QPalette::Text), (option->state & State_HasFocus) ? 2 : 1);
        painter->restore();
        return;
      }
      case PE_FrameFocusRect: {
        // Fusion's focus frame takes the highlight colour, which is the text
        // colour here and would vanish on a highlighted entry's background
        // only; a dotted line in the text colour, as everywhere else.
        drawFocus(painter, option->rect, option->palette.color(QPalette::WindowText));
        return;
      }
      default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
  }

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    // Message box buttons carry text only, as on Windows.
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 0;
    // A message's text can be selected and copied (a web address, a file name).
    if (hint == SH_MessageBox_TextInteractionFlags) return Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard;
    // A combo box drops its list below itself, as on Windows, instead of
    // Fusion's menu over it. Fusion's menu also fills every colour the window
    // did not set on the combo box itself from the menu palette, so its
    // entries would show light grey.
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (element != CE_ComboBoxLabel || !combo || combo->editable || !(combo->state & State_HasFocus)) {
      return QProxyStyle::drawControl(element, option, painter, widget);
    }
    // The list with the focus shows its entry in the window's colours swapped,
    // as Windows marks a focused drop-down list.
    const QRect text = subControlRect(CC_ComboBox, combo, SC_ComboBoxEditField, widget);
    painter->fillRect(text, combo->palette.color(QPalette::Highlight));
    QStyleOptionComboBox swapped(*combo);
    for (auto role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText})
      swapped.palette.setColor(role, combo->palette.color(QPalette::HighlightedText));
    QProxyStyle::drawControl(element, &swapped, painter, widget);
  }

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box) return QProxyStyle::drawComplexControl(control, option, painter, widget);
    // One line of the text colour, broken where the title stands.
    const QRect frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
    const QRect label = subControlRect(control, option, SC_GroupBoxLabel, widget);
    painter->save();
    painter->setPen(option->palette.color(QPalette::WindowText));
    painter->drawRect(frame.adjusted(0, 0, -1, -1));
    if (!label.isEmpty()) {
      painter->fillRect(label, option->palette.color(QPalette::Window));
      painter->drawText(label, Qt::AlignCenter | Qt::TextSingleLine, box->text);
    }
    painter->restore();
  }

  // A group box's title sits on its top line, a little in from the left, as
  // the windows were designed; Fusion puts it above the frame.
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                       const QWidget* widget) const override {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box) return QProxyStyle::subControlRect(control, option, part, widget);
    const QRect& rect = option->rect;
    const int textHeight = option->fontMetrics.height();
    switch (part) {
      case SC_GroupBoxFrame:
        return rect.adjusted(0, textHeight / 2, 0, 0);
      case SC_GroupBoxLabel:
        if (box->text.isEmpty()) return {};
        return {rect.left() + kTitleIndent, rect.top(), option->fontMetrics.horizontalAdvance(box->text) + 4,
                textHeight};
      case SC_GroupBoxContents:
        return rect.adjusted(1, textHeight, -1, -1);
      default:
        return {};
    }
  }

 private:
  static constexpr int kTitleIndent = 7;

  // A frame of width lines inside rect.
  static void drawFrame(QPainter* painter, const QRect& rect, const QColor& colour, int width) {
    painter->setPen(colour);
    painter->setBrush(Qt::NoBrush);
    for (int line = 0; line < width; ++line) painter->drawRect(rect.adjusted(line, line, -1 - line, -1 - line));
  }

  // The focus mark of every control: a dotted line, as Windows draws it.
  static void drawFocus(QPainter* painter, const QRect& rect, const QColor& colour) {
    painter->save();
    painter->setPen(QPen(colour, 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    painter->restore();
  }
};

}  // namespace

QPalette windowPalette(WindowColours colours) {
  const QColor text = toQColor(colours.text);
  const QColor background = toQColor(colours.background);
  // Shades for frames and pressed buttons follow from the background.
  QPalette palette(background);
  for (auto role : {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button})
    palette.setColor(role, background);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText,
                    QPalette::PlaceholderText})
    palette.setColor(role, text);
  palette.setColor(QPalette::Highlight, text);
  palette.setColor(QPalette::HighlightedText, background);
  const QColor dimmed = QColor::fromRgb((text.red() + background.red()) / 2, (text.green() + background.green()) / 2,
                                        (text.blue() + background.blue()) / 2);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, dimmed);
  return palette;
}

void applyWindowLook(QWidget* window, WindowColours colours) {
  if (!dynamic_cast<FlatStyle*>(QApplication::style())) QApplication::setStyle(new FlatStyle);
  window->setFont(dialogFont());
  window->setPalette(windowPalette(colours));
  window->setAutoFillBackground(true);
}

// ---- tooltips ----

// Qt shows every tooltip of the program in one tip window of its own, whose
// palette and font are the QToolTip ones: that shared window is the one
// tooltip control, so the windows only give their controls texts. Qt has no
// maximum tip width (it wraps only at the screen's edge), so the texts are
// broken beforehand, measured in the tooltip font.
void applyTooltipLook() {
  QPalette palette = QToolTip::palette();
  // Tips are not active windows: every colour group has to carry the colours.
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::ToolTipBase, toQColor(kTipBackground));
    palette.setColor(group, QPalette::ToolTipText, toQColor(kTipText));
  }
  QToolTip::setPalette(palette);
  QToolTip::setFont(dialogFont());
}

QString wrapLines(const QString& text, const QFont& font, int maxWidth) {
  const QFontMetrics metrics(font);
  QStringList lines;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    if (metrics.horizontalAdvance(paragraph) <= maxWidth) {
      lines << paragraph;
      continue;
    }
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(maxWidth);
      QString part = paragraph.mid(line.textStart(), line.textLength());
      // The blank a line was broken at is dropped, as on Windows.
      while (!part.isEmpty() && part.back().isSpace()) part.chop(1);
      lines << part;
    }
    layout.endLayout();
  }
  return lines.join(QLatin1Char('\n'));
}

void setWrappedToolTip(QWidget* control, const QString& text) {
  control->setToolTip(wrapLines(text, QToolTip::font(), kMaxTipWidth));
}

}  // namespace valdor::ui
