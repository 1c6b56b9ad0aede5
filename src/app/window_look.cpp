#include "app/window_look.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include "app/dialog_builder.h"

namespace valdor::app {

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
        painter->setPen(option->palette.color(QPalette::ButtonText));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
      }
      case PE_FrameLineEdit: {
        painter->save();
        painter->setPen(option->palette.color(QPalette::Text));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
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
    return QProxyStyle::styleHint(hint, option, widget, returnData);
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

}  // namespace valdor::app
