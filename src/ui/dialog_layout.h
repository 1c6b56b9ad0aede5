#pragma once

#include <string_view>

// Windows laid out the way a resource script describes a dialog: one row per
// control, positions in dialog units of the dialog's font.
namespace valdor::ui {

struct DuRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class ControlKind {
  Picture,        // sunken frame, content centred
  Label,          // left-aligned, wraps words
  LabelCentred,
  LabelRight,
  LabelNoWrap,
  GroupBox,
  ComboBox,       // drop-down list; its rectangle includes the dropped list
  Button,
  DefaultButton,  // pressed by Enter
  Edit,
  Separator,      // a grey rectangle
};

// The font a template names. Every window is drawn in the Arial-compatible
// face (the face that stands in for MS Sans Serif here is far wider), but each
// template keeps the base units of its own font, which place its controls.
enum class TemplateFont {
  Arial8,        // measured from the face that draws it
  MsSansSerif8,  // 6 x 13 on Windows at 96 DPI
};

// One control: its id (the widget's objectName is the number), its kind, its
// place, the translation key of its caption (empty: not translated) and the
// text it shows before the texts are applied.
template <typename Id>
struct ControlRow {
  Id id;
  ControlKind kind;
  DuRect rect;
  std::string_view captionKey = {};
  std::string_view text = {};
};

// a * b / c rounded to the nearest integer, halves away from zero, as the
// Windows MulDiv computes it.
int mulDiv(int a, int b, int c);

// The horizontal base unit from the width in pixels of the 52 letters A-Z a-z
// of the dialog font: their average, rounded.
int baseUnitX(int widthOfAlphabet);

// The conversion between dialog units and pixels for one dialog font:
// 4 horizontal units are baseX pixels, 8 vertical units baseY pixels.
class DialogUnits {
 public:
  constexpr DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

  int toPixelsX(int units) const { return mulDiv(units, m_baseX, 4); }
  int toPixelsY(int units) const { return mulDiv(units, m_baseY, 8); }
  PixelRect toPixels(const DuRect& rect) const;

  int baseX() const { return m_baseX; }
  int baseY() const { return m_baseY; }

 private:
  int m_baseX;
  int m_baseY;
};

inline constexpr DialogUnits kMsSansSerif8Units{6, 13};

// How many entries a drop-down list shows at once: a template's combo box
// rectangle includes its dropped list, so the list gets what the closed box
// leaves of it, in whole rows (at least one).
int visibleListRows(int templateHeightPixels, int closedHeightPixels, int rowHeightPixels);

// The two colours of a window: its text on its background, every control alike.
struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
};

struct WindowColours {
  Rgb text;
  Rgb background;
};

}  // namespace valdor::ui
