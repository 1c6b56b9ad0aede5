#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "ui/dialog_layout.h"
#include "other_window/control_ids.h"
#include "other_window/other_settings.h"

// The other settings window's template: its size, colours and controls.
namespace valdor::other_window {

inline constexpr int kTemplateWidth = 351;  // dialog units
inline constexpr int kTemplateHeight = 342;
inline constexpr ui::TemplateFont kTemplateFont = ui::TemplateFont::MsSansSerif8;
inline constexpr ui::WindowColours kColours{{240, 170, 0}, {100, 0, 0}};

// The title is the one label drawn in a sunken frame.
inline constexpr ControlId kSunkenLabel = ControlId::Title;

using Row = ui::ControlRow<ControlId>;
using ui::ControlKind;

// In template order, which is also the focus order. The values' label keys
// and tooltips come from their rows in kOtherRows.
inline constexpr std::array kControls{
    // id                                     kind                        x    y    w    h    caption key
    Row{ControlId::Title,                     ControlKind::LabelCentred,  {7, 7, 337, 24},     "TEXT_TITLEOTHERSETTINGS"},
    Row{ControlId::Warning,                   ControlKind::LabelCentred,  {7, 35, 337, 20},    "TEXT_WARNING"},
    Row{ControlId::LowGroup,                  ControlKind::GroupBox,      {7, 59, 165, 67},    "TEXT_LOWVIEWRANGE"},
    Row{ControlId::LowViewRangeObjectsLabel,  ControlKind::Label,         {20, 75, 64, 11},    labelKeyOf(ControlId::LowViewRangeObjects)},
    Row{ControlId::LowViewRangeObjects,       ControlKind::Edit,          {117, 73, 44, 14}},
    Row{ControlId::LowViewRangeHighLabel,     ControlKind::Label,         {20, 90, 82, 11},    labelKeyOf(ControlId::LowViewRangeHigh)},
    Row{ControlId::LowViewRangeHigh,          ControlKind::Edit,          {117, 89, 44, 14}},
    Row{ControlId::LowViewRangeLowLabel,      ControlKind::Label,         {20, 106, 91, 11},   labelKeyOf(ControlId::LowViewRangeLow)},
    Row{ControlId::LowViewRangeLow,           ControlKind::Edit,          {117, 105, 44, 14}},
    Row{ControlId::MediumGroup,               ControlKind::GroupBox,      {7, 139, 165, 68},   "TEXT_MEDIUMVIEWRANGE"},
    Row{ControlId::MediumViewRangeObjectsLabel, ControlKind::Label,       {20, 155, 64, 11},   labelKeyOf(ControlId::MediumViewRangeObjects)},
    Row{ControlId::MediumViewRangeObjects,    ControlKind::Edit,          {117, 153, 44, 14}},
    Row{ControlId::MediumViewRangeHighLabel,  ControlKind::Label,         {20, 170, 82, 11},   labelKeyOf(ControlId::MediumViewRangeHigh)},
    Row{ControlId::MediumViewRangeHigh,       ControlKind::Edit,          {117, 169, 44, 14}},
    Row{ControlId::MediumViewRangeLowLabel,   ControlKind::Label,         {20, 186, 91, 11},   labelKeyOf(ControlId::MediumViewRangeLow)},
    Row{ControlId::MediumViewRangeLow,        ControlKind::Edit,          {117, 185, 44, 14}},
    Row{ControlId::HighGroup,                 ControlKind::GroupBox,      {7, 220, 165, 65},   "TEXT_HIGHVIEWRANGE"},
    Row{ControlId::HighViewRangeObjectsLabel, ControlKind::Label,         {20, 235, 64, 11},   labelKeyOf(ControlId::HighViewRangeObjects)},
    Row{ControlId::HighViewRangeObjects,      ControlKind::Edit,          {117, 234, 44, 14}},
    Row{ControlId::HighViewRangeHighLabel,    ControlKind::Label,         {20, 251, 82, 11},   labelKeyOf(ControlId::HighViewRangeHigh)},
    Row{ControlId::HighViewRangeHigh,         ControlKind::Edit,          {117, 250, 44, 14}},
    Row{ControlId::HighViewRangeLowLabel,     ControlKind::Label,         {20, 267, 91, 11},   labelKeyOf(ControlId::HighViewRangeLow)},
    Row{ControlId::HighViewRangeLow,          ControlKind::Edit,          {117, 266, 44, 14}},
    Row{ControlId::FpsGroup,                  ControlKind::GroupBox,      {178, 146, 165, 68}, "TEXT_FPS"},
    Row{ControlId::FpsAverageLabel,           ControlKind::Label,         {189, 162, 77, 11},  labelKeyOf(ControlId::FpsAverage)},
    Row{ControlId::FpsAverage,                ControlKind::Edit,          {283, 160, 49, 14}},
    Row{ControlId::FpsMinLabel,               ControlKind::Label,         {190, 178, 77, 11},  labelKeyOf(ControlId::FpsMin)},
    Row{ControlId::FpsMin,                    ControlKind::Edit,          {283, 176, 49, 14}},
    Row{ControlId::FpsMaxLabel,               ControlKind::Label,         {190, 194, 77, 11},  labelKeyOf(ControlId::FpsMax)},
    Row{ControlId::FpsMax,                    ControlKind::Edit,          {283, 192, 49, 14}},
    Row{ControlId::MiscGroup,                 ControlKind::GroupBox,      {178, 220, 165, 65}, "TEXT_MISCELLANEOUS"},
    Row{ControlId::LevelOfDetailLabel,        ControlKind::Label,         {190, 236, 64, 11},  labelKeyOf(ControlId::LevelOfDetail)},
    Row{ControlId::LevelOfDetail,             ControlKind::Edit,          {283, 234, 49, 14}},
    Row{ControlId::RestoreSettings,           ControlKind::Button,        {121, 293, 109, 15}, "TEXT_RESTORESETTINGS"},
    Row{ControlId::None,                      ControlKind::Separator,     {7, 313, 337, 2}},
    Row{ControlId::Save,                      ControlKind::Button,        {120, 320, 50, 15},  "TEXT_SAVE"},
    Row{ControlId::Close,                     ControlKind::DefaultButton, {180, 320, 50, 15},  "TEXT_CLOSE"},
    Row{ControlId::PlayerMemory,              ControlKind::ComboBox,      {283, 250, 50, 72}},
    Row{ControlId::PlayerMemoryLabel,         ControlKind::Label,         {190, 252, 56, 13},  labelKeyOf(ControlId::PlayerMemory)},
    Row{ControlId::TestMode,                  ControlKind::ComboBox,      {283, 265, 50, 72}},
    Row{ControlId::TestModeLabel,             ControlKind::Label,         {189, 268, 56, 13},  labelKeyOf(ControlId::TestMode)},
    Row{ControlId::PrefetchCellSizeLabel,     ControlKind::Label,         {191, 74, 64, 11},   labelKeyOf(ControlId::PrefetchCellSize)},
    Row{ControlId::PrefetchCellSize,          ControlKind::Edit,          {283, 71, 50, 14}},
    Row{ControlId::OtherViewRangeGroup,       ControlKind::GroupBox,      {178, 59, 165, 82},  "TEXT_OTHERVIEWRANGE"},
    Row{ControlId::MaxDistToPlayerLabel,      ControlKind::Label,         {191, 90, 90, 11},   labelKeyOf(ControlId::MaxDistToPlayer)},
    Row{ControlId::MaxDistToPlayer,           ControlKind::Edit,          {283, 87, 50, 14}},
    Row{ControlId::DofStartLabel,             ControlKind::Label,         {191, 106, 90, 11},  labelKeyOf(ControlId::DofStart)},
    Row{ControlId::DofStart,                  ControlKind::Edit,          {283, 103, 50, 14}},
    Row{ControlId::DofEndLabel,               ControlKind::Label,         {191, 122, 90, 11},  labelKeyOf(ControlId::DofEnd)},
    Row{ControlId::DofEnd,                    ControlKind::Edit,          {283, 119, 50, 14}},
};
static_assert(kControls.size() == 50);

// The message that names a field holding no number of its kind: each kind
// says what it takes, so a refused -1 or 0,5 is not answered "whole number".
inline constexpr std::array<std::pair<OtherKind, std::string_view>, 3> kNotANumberKeys{{
    {OtherKind::Signed, "MESSAGE_NOTANUMBER"},
    {OtherKind::Unsigned, "MESSAGE_NOTANUNSIGNEDNUMBER"},
    {OtherKind::Decimal, "MESSAGE_NOTADECIMALNUMBER"},
}};

}  // namespace valdor::other_window
