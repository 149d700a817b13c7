// The about box's form: the maker's banner, address lines, links and OK.
#pragma once

#include "platform/ui/ControlDesc.h"
#include "resources/Ressources.h"

namespace ressource_formapropos {

using ui::FontStyle;

inline constexpr ui::FormDesc FormAPropos{
    .name = "FormAPropos", .clientWidth = 446, .clientHeight = 207, .caption = "FormAPropos",
    .border = ui::BorderStyle::Dialog, .icon = {RessourceIcone, &RessourceIcone_taille}};

inline constexpr ui::ControlDesc ButtonOk{
    .name = "ButtonOk", .left = 201, .top = 168, .width = 75, .height = 25, .caption = "OK",
    .tabOrder = 0, .isDefault = true};
inline constexpr ui::ControlDesc Image1{
    .name = "Image1", .left = 0, .top = 16, .width = 441, .height = 41,
    .picture = {RessourceLogo, &RessourceLogo_taille}, .center = true, .proportional = true};
inline constexpr ui::ControlDesc LabelAdresse{
    .name = "LabelAdresse", .left = 16, .top = 80, .height = 13, .autoSize = true};
inline constexpr ui::ControlDesc LabelCodeVille{
    .name = "LabelCodeVille", .left = 16, .top = 96, .height = 13, .autoSize = true};
inline constexpr ui::ControlDesc LabelPays{
    .name = "LabelPays", .left = 16, .top = 112, .height = 13, .autoSize = true};
inline constexpr ui::ControlDesc LabelTelephone{
    .name = "LabelTelephone", .left = 240, .top = 80, .height = 13, .autoSize = true};
inline constexpr ui::ControlDesc LabelTelecopie{
    .name = "LabelTelecopie", .left = 240, .top = 96, .height = 13, .autoSize = true};
inline constexpr ui::ControlDesc LabelNomSite{
    .name = "LabelNomSite", .left = 16, .top = 136, .height = 16,
    .font = {.name = "MS Sans Serif", .size = 10, .style = FontStyle::Underline, .color = ui::clBlue},
    .cursor = ui::Cursor::HandPoint, .autoSize = true};
inline constexpr ui::ControlDesc LabelMel{
    .name = "LabelMel", .left = 240, .top = 136, .height = 16,
    .font = {.name = "MS Sans Serif", .size = 10, .style = FontStyle::Underline, .color = ui::clBlue},
    .cursor = ui::Cursor::HandPoint, .autoSize = true};

}  // namespace ressource_formapropos
