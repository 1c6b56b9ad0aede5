#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QWidget>

#include "ui/dialog_layout.h"

// Every window draws itself and all its controls in its own two colours, with
// flat buttons and group boxes, in the dialog font.
namespace valdor::ui {

inline QColor toQColor(Rgb colour) { return {colour.red, colour.green, colour.blue}; }

// The palette that colours every control, combo popups included.
QPalette windowPalette(WindowColours colours);

// Font, palette and the flat style for a window and its controls. The style is
// the application's (a widget's own style does not reach its children or its
// combo popups); it is installed the first time.
void applyWindowLook(QWidget* window, WindowColours colours);

// ---- tooltips ----

// The widest line a tooltip shows, in pixels; longer lines are broken.
inline constexpr int kMaxTipWidth = 1000;
inline constexpr Rgb kTipBackground{255, 255, 0};
inline constexpr Rgb kTipText{0, 0, 0};

// Black on yellow in the dialog font, for every tooltip of the program.
void applyTooltipLook();

// text with every line wider than maxWidth pixels of font broken between
// words (inside a word when one word alone is too wide).
QString wrapLines(const QString& text, const QFont& font, int maxWidth);

// Gives control its tooltip, its lines wrapped for the tooltip font; an empty
// text removes it.
void setWrappedToolTip(QWidget* control, const QString& text);

}  // namespace valdor::ui
