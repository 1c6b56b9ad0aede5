#pragma once

#include <array>
#include <string_view>

#include "ui/dialog_layout.h"

// The credits window's template (141): its size, colours, picture and controls.
namespace valdor::credits_window {

// The numbers are the controls' object names.
enum class ControlId : int {
  Picture = -1,  // like every static without an id of its own
  Version = 1120,
  Thanks = 1121,
  Link = 1084,
  Contact = 1122,
};

inline constexpr int kTemplateWidth = 321;  // dialog units
inline constexpr int kTemplateHeight = 265;
inline constexpr ui::TemplateFont kTemplateFont = ui::TemplateFont::MsSansSerif8;
inline constexpr ui::WindowColours kColours{{200, 130, 0}, {50, 50, 50}};

// The artwork in the program's Qt resources.
inline constexpr std::string_view kPicture = ":/valdor3/credits.bmp";  // 480 x 322

// The sunken client edge around the window, in pixels, as Windows draws it.
inline constexpr int kClientEdge = 2;

using Row = ui::ControlRow<ControlId>;
using ui::ControlKind;

// In template order: later controls lie over earlier ones, so the labels
// cover the picture's bottom rows, which fade into the window's grey.
inline constexpr std::array kControls{
    // id                  kind                       x    y    w    h    caption key
    Row{ControlId::Picture, ControlKind::Picture,      {0, 0, 321, 265}},
    Row{ControlId::Version, ControlKind::LabelCentred, {1, 202, 318, 14},  "TEXT_VERSION"},
    Row{ControlId::Thanks,  ControlKind::LabelCentred, {12, 220, 298, 9},  "TEXT_THANKS"},
    Row{ControlId::Link,    ControlKind::Button,       {107, 232, 104, 15}, "TEXT_LINK"},
    Row{ControlId::Contact, ControlKind::LabelCentred, {1, 248, 318, 14},  "TEXT_CONTACT"},
};

// The one label drawn inside a border.
inline constexpr ControlId kBorderedLabel = ControlId::Version;

}  // namespace valdor::credits_window
