#pragma once

#include <array>
#include <string_view>

#include "ui/dialog_layout.h"
#include "main_window/control_ids.h"
#include "main_window/display_modes.h"
#include "main_window/main_settings.h"

// The main window's template: its size, caption, colours and controls.
namespace valdor::main_window {

inline constexpr int kTemplateWidth = 431;   // dialog units
inline constexpr int kTemplateHeight = 406;
inline constexpr std::string_view kCaption = "Valdor 3 Tuning Utility";  // not translated
inline constexpr ui::WindowColours kColours{{220, 150, 0}, {75, 0, 0}};
inline constexpr std::string_view kAuthorLine = "by the Valdor 3 tuning team";  // not translated

// The artwork in the program's Qt resources.
inline constexpr std::string_view kHeaderPicture = ":/valdor3/header.bmp";  // 480 x 150
inline constexpr std::array<std::string_view, 4> kIconImages{
    ":/valdor3/icon-16.png", ":/valdor3/icon-32.png", ":/valdor3/icon-48.png", ":/valdor3/icon-64.png"};

using Row = ui::ControlRow<ControlId>;
using ui::ControlKind;

// In template order, which is also the focus order. A setting's label key
// comes from its row in kMainRows.
inline constexpr std::array kControls{
    // id                               kind                       x    y    w    h    caption key
    Row{ControlId::Picture,             ControlKind::Picture,      {7, 7, 417, 92}},
    Row{ControlId::Version,             ControlKind::Label,        {7, 101, 46, 9},     "TEXT_VERSION"},
    Row{ControlId::Risk,                ControlKind::LabelCentred, {140, 101, 118, 11}, "TEXT_RISK"},
    Row{ControlId::Author,              ControlKind::LabelRight,   {327, 101, 97, 10},  {}, kAuthorLine},
    Row{ControlId::CommonGroup,         ControlKind::GroupBox,     {7, 116, 184, 230},  "TEXT_COMMONSETTINGS"},
    Row{ControlId::LanguageLabel,       ControlKind::Label,        {19, 135, 69, 9},    {}, "Sprache / language:"},
    Row{ControlId::Language,            ControlKind::ComboBox,     {92, 133, 80, 171}},
    Row{ControlId::ResolutionLabel,     ControlKind::Label,        {19, 149, 54, 9},    labelKeyOf(ControlId::Resolution)},
    Row{ControlId::Resolution,          ControlKind::ComboBox,     {92, 148, 80, 171}},
    Row{ControlId::AspectRatioLabel,    ControlKind::Label,        {20, 163, 54, 9},    "TEXT_ASPECTRATIO"},
    Row{ControlId::AspectRatio,         ControlKind::LabelCentred, {95, 164, 64, 9},    {}, kInitialAspectRatio},
    Row{ControlId::ViewRangeHighLabel,  ControlKind::LabelNoWrap,  {20, 178, 59, 10},   labelKeyOf(ControlId::ViewRangeHigh)},
    Row{ControlId::ViewRangeHigh,       ControlKind::ComboBox,     {92, 177, 80, 72}},
    Row{ControlId::ViewRangeLowLabel,   ControlKind::Label,        {20, 193, 71, 10},   labelKeyOf(ControlId::ViewRangeLow)},
    Row{ControlId::ViewRangeLow,        ControlKind::ComboBox,     {92, 192, 80, 72}},
    Row{ControlId::ResourceCacheLabel,  ControlKind::Label,        {20, 208, 70, 10},   labelKeyOf(ControlId::ResourceCache)},
    Row{ControlId::ResourceCache,       ControlKind::ComboBox,     {92, 206, 80, 72}},
    Row{ControlId::ObjectDetailsLabel,  ControlKind::Label,        {20, 222, 59, 10},   labelKeyOf(ControlId::ObjectDetails)},
    Row{ControlId::ObjectDetails,       ControlKind::ComboBox,     {92, 221, 80, 72}},
    Row{ControlId::ShaderQualityLabel,  ControlKind::Label,        {20, 237, 59, 10},   labelKeyOf(ControlId::ShaderQuality)},
    Row{ControlId::ShaderQuality,       ControlKind::ComboBox,     {92, 235, 80, 72}},
    Row{ControlId::TextureQualityLabel, ControlKind::Label,        {20, 251, 59, 10},   labelKeyOf(ControlId::TextureQuality)},
    Row{ControlId::TextureQuality,      ControlKind::ComboBox,     {92, 249, 80, 72}},
    Row{ControlId::TextureFilterLabel,  ControlKind::Label,        {20, 265, 59, 10},   labelKeyOf(ControlId::TextureFilter)},
    Row{ControlId::TextureFilter,       ControlKind::ComboBox,     {92, 263, 80, 72}},
    Row{ControlId::VegetationQualityLabel, ControlKind::Label,     {20, 278, 72, 10},   labelKeyOf(ControlId::VegetationQuality)},
    Row{ControlId::VegetationQuality,   ControlKind::ComboBox,     {92, 277, 80, 72}},
    Row{ControlId::ShadowQualityLabel,  ControlKind::Label,        {20, 292, 72, 10},   labelKeyOf(ControlId::ShadowQuality)},
    Row{ControlId::ShadowQuality,       ControlKind::ComboBox,     {92, 291, 80, 72}},
    Row{ControlId::PostProcessingLabel, ControlKind::Label,        {20, 307, 72, 10},   labelKeyOf(ControlId::PostProcessing)},
    Row{ControlId::PostProcessing,      ControlKind::ComboBox,     {92, 305, 80, 72}},
    Row{ControlId::RestoreStartLogos,   ControlKind::Button,       {13, 324, 97, 14},   "TEXT_RESTORESTARTLOGOS"},
    Row{ControlId::RemoveStartLogos,    ControlKind::Button,       {112, 324, 73, 14},  "TEXT_REMOVESTARTLOGOS"},
    Row{ControlId::AdvancedGroup,       ControlKind::GroupBox,     {200, 116, 224, 230}, "TEXT_ADVANCEDSETTINGS"},
    Row{ControlId::VegetationLabel,     ControlKind::Label,        {215, 132, 72, 10},  labelKeyOf(ControlId::Vegetation)},
    Row{ControlId::Vegetation,          ControlKind::ComboBox,     {327, 131, 75, 72}},
    Row{ControlId::VegetationDetailsLabel, ControlKind::Label,     {215, 146, 72, 10},  labelKeyOf(ControlId::VegetationDetails)},
    Row{ControlId::VegetationDetails,   ControlKind::ComboBox,     {327, 145, 75, 72}},
    Row{ControlId::VegetationViewRangeLabel, ControlKind::Label,   {215, 161, 74, 10},  labelKeyOf(ControlId::VegetationViewRange)},
    Row{ControlId::VegetationViewRange, ControlKind::Edit,         {327, 159, 74, 13}},
    Row{ControlId::TreeShadowsLabel,    ControlKind::Label,        {215, 176, 72, 10},  labelKeyOf(ControlId::TreeShadows)},
    Row{ControlId::TreeShadows,         ControlKind::ComboBox,     {327, 175, 75, 72}},
    Row{ControlId::StaticShadowsLabel,  ControlKind::Label,        {215, 191, 72, 10},  labelKeyOf(ControlId::StaticShadows)},
    Row{ControlId::StaticShadows,       ControlKind::ComboBox,     {327, 189, 75, 72}},
    Row{ControlId::DetailedShadowsLabel, ControlKind::Label,       {215, 205, 72, 10},  labelKeyOf(ControlId::DetailedShadows)},
    Row{ControlId::DetailedShadows,     ControlKind::ComboBox,     {327, 204, 75, 72}},
    Row{ControlId::PhysicsViewRangeLabel, ControlKind::Label,      {215, 221, 74, 10},  labelKeyOf(ControlId::PhysicsViewRange)},
    Row{ControlId::PhysicsViewRange,    ControlKind::Edit,         {327, 218, 74, 13}},
    Row{ControlId::MaxRagdollsLabel,    ControlKind::Label,        {215, 236, 71, 10},  labelKeyOf(ControlId::MaxRagdolls)},
    Row{ControlId::MaxRagdolls,         ControlKind::Edit,         {327, 233, 74, 13}},
    Row{ControlId::RoiViewRangeLabel,   ControlKind::Label,        {215, 251, 102, 10}, labelKeyOf(ControlId::RoiViewRange)},
    Row{ControlId::RoiViewRange,        ControlKind::Edit,         {327, 248, 74, 13}},
    Row{ControlId::LowPolygonsLabel,    ControlKind::Label,        {215, 265, 109, 10}, labelKeyOf(ControlId::LowPolygons)},
    Row{ControlId::LowPolygons,         ControlKind::ComboBox,     {327, 263, 75, 72}},
    Row{ControlId::MeshQualityLabel,    ControlKind::Label,        {215, 278, 72, 10},  labelKeyOf(ControlId::MeshQuality)},
    Row{ControlId::MeshQuality,         ControlKind::ComboBox,     {327, 277, 75, 72}},
    Row{ControlId::AnimationQualityLabel, ControlKind::Label,      {215, 292, 72, 10},  labelKeyOf(ControlId::AnimationQuality)},
    Row{ControlId::AnimationQuality,    ControlKind::ComboBox,     {327, 291, 75, 72}},
    Row{ControlId::ImageQualityLabel,   ControlKind::Label,        {215, 307, 72, 10},  labelKeyOf(ControlId::ImageQuality)},
    Row{ControlId::ImageQuality,        ControlKind::ComboBox,     {327, 305, 75, 72}},
    Row{ControlId::CacheSettings,       ControlKind::Button,       {210, 324, 97, 14},  "TEXT_CACHESETTINGS"},
    Row{ControlId::OtherSettings,       ControlKind::Button,       {313, 324, 102, 14}, "TEXT_OTHERSETTINGS"},
    Row{ControlId::RestoreSettings,     ControlKind::Button,       {154, 351, 124, 14}, "TEXT_RESTORESETTINGS"},
    Row{ControlId::None,                ControlKind::Separator,    {7, 371, 417, 2}},
    Row{ControlId::LoadBackup,          ControlKind::Button,       {7, 379, 86, 21},    "TEXT_LOADBACKUP"},
    Row{ControlId::CreateBackup,        ControlKind::Button,       {99, 379, 86, 21},   "TEXT_CREATEBACKUP"},
    Row{ControlId::SaveSettings,        ControlKind::Button,       {246, 379, 86, 21},  "TEXT_SAVESETTINGS"},
    Row{ControlId::Exit,                ControlKind::DefaultButton, {338, 379, 86, 21}, "TEXT_EXIT"},
    Row{ControlId::Credits,             ControlKind::Button,       {192, 381, 47, 16},  "TEXT_CREDITS"},
};

// The tooltips of the controls without a setting, in the order they are
// added; the settings' tooltips come from their rows in kMainRows. The exit
// button, the labels, the aspect ratio and the picture have none.
struct TooltipRow {
  ControlId id;
  std::string_view key;
};

inline constexpr std::array kTooltips{
    TooltipRow{ControlId::Language,            "TOOLTIP_LANGUAGE"},
    TooltipRow{ControlId::RemoveStartLogos,    "TOOLTIP_REMOVESTARTLOGOS"},
    TooltipRow{ControlId::RestoreStartLogos,   "TOOLTIP_RESTORESTARTLOGOS"},
    TooltipRow{ControlId::CacheSettings,       "TOOLTIP_CACHESETTINGS"},
    TooltipRow{ControlId::OtherSettings,       "TOOLTIP_OTHERSETTINGS"},
    TooltipRow{ControlId::LoadBackup,          "TOOLTIP_LOADBACKUP"},
    TooltipRow{ControlId::CreateBackup,        "TOOLTIP_CREATEBACKUP"},
    TooltipRow{ControlId::SaveSettings,        "TOOLTIP_SAVE"},
    TooltipRow{ControlId::Credits,             "TOOLTIP_CREDITS"},
};

}  // namespace valdor::main_window
