#pragma once

#include <array>
#include <string_view>

#include "ui/dialog_layout.h"
#include "cache_window/cache_settings.h"
#include "cache_window/control_ids.h"

// The cache settings window's template: its size, colours and controls.
namespace valdor::cache_window {

inline constexpr int kTemplateWidth = 605;  // dialog units
inline constexpr int kTemplateHeight = 308;
inline constexpr ui::TemplateFont kTemplateFont = ui::TemplateFont::MsSansSerif8;
inline constexpr ui::WindowColours kColours{{240, 170, 0}, {100, 0, 0}};

using Row = ui::ControlRow<ControlId>;
using ui::ControlKind;

// In template order, which is also the focus order: in each column the seven
// values, the total, the percentage, "+" and "-", then the final cache (the
// textures-high field after Common); then the three buttons at the bottom.
// The High column's fields sit one unit lower, as the window was drawn. The
// "%" signs, "+", "-" and the arrow towards the Low final cache are never
// translated. The values' labels and the columns' captions come from the
// rows in kCacheRows and kCacheColumnRows.
inline constexpr std::array kControls{
    // id                                         kind                       {x, y, w, h}         caption key
    Row{ControlId::Heading,                       ControlKind::LabelCentred, {7, 7, 591, 22},     "TEXT_TITLECACHESETTINGS"},
    Row{ControlId::Warning,                       ControlKind::LabelCentred, {7, 35, 591, 10},    "TEXT_WARNING"},
    // ---- common ----
    Row{ControlId::CommonGroup,                   ControlKind::GroupBox,     {7, 51, 146, 173},   captionKeyOf(CacheColumn::Common)},
    Row{ControlId::CommonImageLabel,              ControlKind::Label,        {13, 67, 50, 9},     labelKeyOf(ControlId::CommonImage)},
    Row{ControlId::CommonImage,                   ControlKind::Edit,         {65, 64, 41, 14}},
    Row{ControlId::CommonImageMegabytes,          ControlKind::LabelRight,   {108, 67, 39, 9}},
    Row{ControlId::CommonMeshLabel,               ControlKind::Label,        {13, 83, 50, 9},     labelKeyOf(ControlId::CommonMesh)},
    Row{ControlId::CommonMesh,                    ControlKind::Edit,         {65, 80, 41, 14}},
    Row{ControlId::CommonMeshMegabytes,           ControlKind::LabelRight,   {108, 83, 39, 9}},
    Row{ControlId::CommonSoundLabel,              ControlKind::Label,        {13, 99, 50, 9},     labelKeyOf(ControlId::CommonSound)},
    Row{ControlId::CommonSound,                   ControlKind::Edit,         {65, 96, 41, 14}},
    Row{ControlId::CommonSoundMegabytes,          ControlKind::LabelRight,   {108, 99, 39, 9}},
    Row{ControlId::CommonMaterialLabel,           ControlKind::Label,        {13, 115, 50, 9},    labelKeyOf(ControlId::CommonMaterial)},
    Row{ControlId::CommonMaterial,                ControlKind::Edit,         {65, 112, 41, 14}},
    Row{ControlId::CommonMaterialMegabytes,       ControlKind::LabelRight,   {108, 115, 39, 9}},
    Row{ControlId::CommonCollisionMeshLabel,      ControlKind::Label,        {13, 131, 50, 9},    labelKeyOf(ControlId::CommonCollisionMesh)},
    Row{ControlId::CommonCollisionMesh,           ControlKind::Edit,         {65, 128, 41, 14}},
    Row{ControlId::CommonCollisionMeshMegabytes,  ControlKind::LabelRight,   {108, 131, 39, 9}},
    Row{ControlId::CommonAnimationLabel,          ControlKind::Label,        {13, 147, 50, 9},    labelKeyOf(ControlId::CommonAnimation)},
    Row{ControlId::CommonAnimation,               ControlKind::Edit,         {65, 144, 41, 14}},
    Row{ControlId::CommonAnimationMegabytes,      ControlKind::LabelRight,   {108, 147, 39, 9}},
    Row{ControlId::CommonSpeedTreeLabel,          ControlKind::Label,        {13, 163, 50, 9},    labelKeyOf(ControlId::CommonSpeedTree)},
    Row{ControlId::CommonSpeedTree,               ControlKind::Edit,         {65, 160, 41, 14}},
    Row{ControlId::CommonSpeedTreeMegabytes,      ControlKind::LabelRight,   {108, 163, 39, 9}},
    Row{ControlId::CommonTotalLabel,              ControlKind::Label,        {13, 179, 50, 9},    "TEXT_TOTAL"},
    Row{ControlId::CommonTotal,                   ControlKind::Edit,         {62, 176, 44, 14}},
    Row{ControlId::CommonTotalMegabytes,          ControlKind::LabelRight,   {108, 179, 39, 9}},
    Row{ControlId::None,                          ControlKind::Separator,    {13, 196, 134, 1}},
    Row{ControlId::CommonModifyLabel,             ControlKind::Label,        {13, 207, 50, 9},    "TEXT_MODIFY"},
    Row{ControlId::CommonPercent,                 ControlKind::Edit,         {65, 204, 19, 14}},
    Row{ControlId::None,                          ControlKind::LabelNoWrap,  {86, 207, 8, 9},     {}, "%"},
    Row{ControlId::CommonIncrease,                ControlKind::Button,       {108, 204, 17, 15},  {}, "+"},
    Row{ControlId::CommonDecrease,                ControlKind::Button,       {127, 204, 17, 15},  {}, "-"},
    Row{ControlId::TexturesHighLabel,             ControlKind::Label,        {13, 234, 50, 9},    labelKeyOf(ControlId::TexturesHigh)},
    Row{ControlId::TexturesHigh,                  ControlKind::Edit,         {65, 231, 41, 14}},
    Row{ControlId::TexturesHighMegabytes,         ControlKind::LabelRight,   {108, 234, 39, 9}},
    Row{ControlId::None,                          ControlKind::LabelNoWrap,  {108, 245, 50, 9},   {}, "------------------>"},
    // ---- low ----
    Row{ControlId::LowGroup,                      ControlKind::GroupBox,     {156, 51, 146, 200}, captionKeyOf(CacheColumn::Low)},
    Row{ControlId::LowImageLabel,                 ControlKind::Label,        {162, 67, 50, 9},    labelKeyOf(ControlId::LowImage)},
    Row{ControlId::LowImage,                      ControlKind::Edit,         {214, 64, 41, 14}},
    Row{ControlId::LowImageMegabytes,             ControlKind::LabelRight,   {257, 67, 39, 9}},
    Row{ControlId::LowMeshLabel,                  ControlKind::Label,        {162, 83, 50, 9},    labelKeyOf(ControlId::LowMesh)},
    Row{ControlId::LowMesh,                       ControlKind::Edit,         {214, 80, 41, 14}},
    Row{ControlId::LowMeshMegabytes,              ControlKind::LabelRight,   {257, 83, 39, 9}},
    Row{ControlId::LowSoundLabel,                 ControlKind::Label,        {162, 99, 50, 9},    labelKeyOf(ControlId::LowSound)},
    Row{ControlId::LowSound,                      ControlKind::Edit,         {214, 96, 41, 14}},
    Row{ControlId::LowSoundMegabytes,             ControlKind::LabelRight,   {257, 99, 39, 9}},
    Row{ControlId::LowMaterialLabel,              ControlKind::Label,        {162, 115, 50, 9},   labelKeyOf(ControlId::LowMaterial)},
    Row{ControlId::LowMaterial,                   ControlKind::Edit,         {214, 112, 41, 14}},
    Row{ControlId::LowMaterialMegabytes,          ControlKind::LabelRight,   {257, 115, 39, 9}},
    Row{ControlId::LowCollisionMeshLabel,         ControlKind::Label,        {162, 131, 50, 9},   labelKeyOf(ControlId::LowCollisionMesh)},
    Row{ControlId::LowCollisionMesh,              ControlKind::Edit,         {214, 128, 41, 14}},
    Row{ControlId::LowCollisionMeshMegabytes,     ControlKind::LabelRight,   {257, 131, 39, 9}},
    Row{ControlId::LowAnimationLabel,             ControlKind::Label,        {162, 147, 50, 9},   labelKeyOf(ControlId::LowAnimation)},
    Row{ControlId::LowAnimation,                  ControlKind::Edit,         {214, 144, 41, 14}},
    Row{ControlId::LowAnimationMegabytes,         ControlKind::LabelRight,   {257, 147, 39, 9}},
    Row{ControlId::LowSpeedTreeLabel,             ControlKind::Label,        {162, 163, 50, 9},   labelKeyOf(ControlId::LowSpeedTree)},
    Row{ControlId::LowSpeedTree,                  ControlKind::Edit,         {214, 160, 41, 14}},
    Row{ControlId::LowSpeedTreeMegabytes,         ControlKind::LabelRight,   {257, 163, 39, 9}},
    Row{ControlId::LowTotalLabel,                 ControlKind::Label,        {162, 179, 50, 9},   "TEXT_TOTAL"},
    Row{ControlId::LowTotal,                      ControlKind::Edit,         {211, 176, 44, 14}},
    Row{ControlId::LowTotalMegabytes,             ControlKind::LabelRight,   {257, 179, 39, 9}},
    Row{ControlId::None,                          ControlKind::Separator,    {162, 196, 134, 1}},
    Row{ControlId::LowModifyLabel,                ControlKind::Label,        {162, 207, 50, 9},   "TEXT_MODIFY"},
    Row{ControlId::LowPercent,                    ControlKind::Edit,         {214, 204, 19, 14}},
    Row{ControlId::None,                          ControlKind::LabelNoWrap,  {235, 207, 8, 9},    {}, "%"},
    Row{ControlId::LowIncrease,                   ControlKind::Button,       {257, 204, 17, 15},  {}, "+"},
    Row{ControlId::LowDecrease,                   ControlKind::Button,       {276, 204, 17, 15},  {}, "-"},
    Row{ControlId::None,                          ControlKind::Separator,    {162, 224, 134, 1}},
    Row{ControlId::LowFinalLabel,                 ControlKind::Label,        {162, 234, 50, 9},   "TEXT_FINALCACHE"},
    Row{ControlId::LowFinal,                      ControlKind::Edit,         {211, 231, 44, 14}},
    Row{ControlId::LowFinalMegabytes,             ControlKind::LabelRight,   {257, 234, 39, 9}},
    // ---- medium ----
    Row{ControlId::MediumGroup,                   ControlKind::GroupBox,     {304, 51, 146, 200}, captionKeyOf(CacheColumn::Medium)},
    Row{ControlId::MediumImageLabel,              ControlKind::Label,        {310, 67, 50, 9},    labelKeyOf(ControlId::MediumImage)},
    Row{ControlId::MediumImage,                   ControlKind::Edit,         {362, 64, 41, 14}},
    Row{ControlId::MediumImageMegabytes,          ControlKind::LabelRight,   {405, 67, 39, 9}},
    Row{ControlId::MediumMeshLabel,               ControlKind::Label,        {310, 83, 50, 9},    labelKeyOf(ControlId::MediumMesh)},
    Row{ControlId::MediumMesh,                    ControlKind::Edit,         {362, 80, 41, 14}},
    Row{ControlId::MediumMeshMegabytes,           ControlKind::LabelRight,   {405, 83, 39, 9}},
    Row{ControlId::MediumSoundLabel,              ControlKind::Label,        {310, 99, 50, 9},    labelKeyOf(ControlId::MediumSound)},
    Row{ControlId::MediumSound,                   ControlKind::Edit,         {362, 96, 41, 14}},
    Row{ControlId::MediumSoundMegabytes,          ControlKind::LabelRight,   {405, 99, 39, 9}},
    Row{ControlId::MediumMaterialLabel,           ControlKind::Label,        {310, 115, 50, 9},   labelKeyOf(ControlId::MediumMaterial)},
    Row{ControlId::MediumMaterial,                ControlKind::Edit,         {362, 112, 41, 14}},
    Row{ControlId::MediumMaterialMegabytes,       ControlKind::LabelRight,   {405, 115, 39, 9}},
    Row{ControlId::MediumCollisionMeshLabel,      ControlKind::Label,        {310, 131, 50, 9},   labelKeyOf(ControlId::MediumCollisionMesh)},
    Row{ControlId::MediumCollisionMesh,           ControlKind::Edit,         {362, 128, 41, 14}},
    Row{ControlId::MediumCollisionMeshMegabytes,  ControlKind::LabelRight,   {405, 131, 39, 9}},
    Row{ControlId::MediumAnimationLabel,          ControlKind::Label,        {310, 147, 50, 9},   labelKeyOf(ControlId::MediumAnimation)},
    Row{ControlId::MediumAnimation,               ControlKind::Edit,         {362, 144, 41, 14}},
    Row{ControlId::MediumAnimationMegabytes,      ControlKind::LabelRight,   {405, 147, 39, 9}},
    Row{ControlId::MediumSpeedTreeLabel,          ControlKind::Label,        {310, 163, 50, 9},   labelKeyOf(ControlId::MediumSpeedTree)},
    Row{ControlId::MediumSpeedTree,               ControlKind::Edit,         {362, 160, 41, 14}},
    Row{ControlId::MediumSpeedTreeMegabytes,      ControlKind::LabelRight,   {405, 163, 39, 9}},
    Row{ControlId::MediumTotalLabel,              ControlKind::Label,        {310, 179, 50, 9},   "TEXT_TOTAL"},
    Row{ControlId::MediumTotal,                   ControlKind::Edit,         {359, 176, 44, 14}},
    Row{ControlId::MediumTotalMegabytes,          ControlKind::LabelRight,   {405, 179, 39, 9}},
    Row{ControlId::None,                          ControlKind::Separator,    {310, 196, 134, 1}},
    Row{ControlId::MediumModifyLabel,             ControlKind::Label,        {310, 207, 50, 9},   "TEXT_MODIFY"},
    Row{ControlId::MediumPercent,                 ControlKind::Edit,         {362, 204, 19, 14}},
    Row{ControlId::None,                          ControlKind::LabelNoWrap,  {383, 207, 8, 9},    {}, "%"},
    Row{ControlId::MediumIncrease,                ControlKind::Button,       {405, 204, 17, 15},  {}, "+"},
    Row{ControlId::MediumDecrease,                ControlKind::Button,       {424, 204, 17, 15},  {}, "-"},
    Row{ControlId::None,                          ControlKind::Separator,    {310, 224, 134, 1}},
    Row{ControlId::MediumFinalLabel,              ControlKind::Label,        {310, 234, 50, 9},   "TEXT_FINALCACHE"},
    Row{ControlId::MediumFinal,                   ControlKind::Edit,         {359, 231, 44, 14}},
    Row{ControlId::MediumFinalMegabytes,          ControlKind::LabelRight,   {405, 234, 39, 9}},
    // ---- high ----
    Row{ControlId::HighGroup,                     ControlKind::GroupBox,     {452, 51, 146, 200}, captionKeyOf(CacheColumn::High)},
    Row{ControlId::HighImageLabel,                ControlKind::Label,        {458, 67, 50, 9},    labelKeyOf(ControlId::HighImage)},
    Row{ControlId::HighImage,                     ControlKind::Edit,         {510, 65, 41, 14}},
    Row{ControlId::HighImageMegabytes,            ControlKind::LabelRight,   {553, 67, 39, 9}},
    Row{ControlId::HighMeshLabel,                 ControlKind::Label,        {458, 83, 50, 9},    labelKeyOf(ControlId::HighMesh)},
    Row{ControlId::HighMesh,                      ControlKind::Edit,         {510, 81, 41, 14}},
    Row{ControlId::HighMeshMegabytes,             ControlKind::LabelRight,   {553, 83, 39, 9}},
    Row{ControlId::HighSoundLabel,                ControlKind::Label,        {458, 99, 50, 9},    labelKeyOf(ControlId::HighSound)},
    Row{ControlId::HighSound,                     ControlKind::Edit,         {510, 97, 41, 14}},
    Row{ControlId::HighSoundMegabytes,            ControlKind::LabelRight,   {553, 99, 39, 9}},
    Row{ControlId::HighMaterialLabel,             ControlKind::Label,        {458, 115, 50, 9},   labelKeyOf(ControlId::HighMaterial)},
    Row{ControlId::HighMaterial,                  ControlKind::Edit,         {510, 113, 41, 14}},
    Row{ControlId::HighMaterialMegabytes,         ControlKind::LabelRight,   {553, 115, 39, 9}},
    Row{ControlId::HighCollisionMeshLabel,        ControlKind::Label,        {458, 131, 50, 9},   labelKeyOf(ControlId::HighCollisionMesh)},
    Row{ControlId::HighCollisionMesh,             ControlKind::Edit,         {510, 129, 41, 14}},
    Row{ControlId::HighCollisionMeshMegabytes,    ControlKind::LabelRight,   {553, 131, 39, 9}},
    Row{ControlId::HighAnimationLabel,            ControlKind::Label,        {458, 147, 50, 9},   labelKeyOf(ControlId::HighAnimation)},
    Row{ControlId::HighAnimation,                 ControlKind::Edit,         {510, 145, 41, 14}},
    Row{ControlId::HighAnimationMegabytes,        ControlKind::LabelRight,   {553, 147, 39, 9}},
    Row{ControlId::HighSpeedTreeLabel,            ControlKind::Label,        {458, 163, 50, 9},   labelKeyOf(ControlId::HighSpeedTree)},
    Row{ControlId::HighSpeedTree,                 ControlKind::Edit,         {510, 161, 41, 14}},
    Row{ControlId::HighSpeedTreeMegabytes,        ControlKind::LabelRight,   {553, 163, 39, 9}},
    Row{ControlId::HighTotalLabel,                ControlKind::Label,        {458, 179, 50, 9},   "TEXT_TOTAL"},
    Row{ControlId::HighTotal,                     ControlKind::Edit,         {507, 177, 44, 14}},
    Row{ControlId::HighTotalMegabytes,            ControlKind::LabelRight,   {553, 179, 39, 9}},
    Row{ControlId::None,                          ControlKind::Separator,    {458, 196, 134, 1}},
    Row{ControlId::HighModifyLabel,               ControlKind::Label,        {458, 207, 50, 9},   "TEXT_MODIFY"},
    Row{ControlId::HighPercent,                   ControlKind::Edit,         {510, 204, 19, 14}},
    Row{ControlId::None,                          ControlKind::LabelNoWrap,  {531, 207, 8, 9},    {}, "%"},
    Row{ControlId::HighIncrease,                  ControlKind::Button,       {553, 204, 17, 15},  {}, "+"},
    Row{ControlId::HighDecrease,                  ControlKind::Button,       {572, 204, 17, 15},  {}, "-"},
    Row{ControlId::None,                          ControlKind::Separator,    {458, 224, 134, 1}},
    Row{ControlId::HighFinalLabel,                ControlKind::Label,        {458, 234, 50, 9},   "TEXT_FINALCACHE"},
    Row{ControlId::HighFinal,                     ControlKind::Edit,         {507, 231, 44, 14}},
    Row{ControlId::HighFinalMegabytes,            ControlKind::LabelRight,   {553, 234, 39, 9}},
    // ---- buttons ----
    Row{ControlId::RestoreDefaults,               ControlKind::Button,       {248, 257, 110, 15}, "TEXT_RESTORESETTINGS"},
    Row{ControlId::None,                          ControlKind::Separator,    {7, 278, 591, 1}},
    Row{ControlId::Save,                          ControlKind::Button,       {248, 286, 50, 15},  "TEXT_SAVE"},
    Row{ControlId::Close,                         ControlKind::DefaultButton, {308, 286, 50, 15}, "TEXT_CLOSE"},
};

// The tooltips without a default; the value fields' tooltips come with their
// defaults from the cache model's rows. Totals, megabytes, percentages and
// the three buttons at the bottom have none.
inline constexpr std::string_view kFinalCacheTooltip = "TOOLTIP_FINALCACHE";
inline constexpr std::string_view kIncreaseTooltip = "TOOLTIP_INCREASECACHE";
inline constexpr std::string_view kDecreaseTooltip = "TOOLTIP_DECREASECACHE";

}  // namespace valdor::cache_window
