#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

#include "app/dialog_layout.h"

// Every window draws itself and all its controls in its own two colours, with
// flat buttons and group boxes, in the dialog font.
namespace valdor::app {

inline QColor toQColor(Rgb colour) { return {colour.red, colour.green, colour.blue}; }

// The palette that colours every control, combo popups included.
QPalette windowPalette(WindowColours colours);

// Font, palette and the flat style for a window and its controls. The style is
// the application's (a widget's own style does not reach its children or its
// combo popups); it is installed the first time.
void applyWindowLook(QWidget* window, WindowColours colours);

}  // namespace valdor::app
