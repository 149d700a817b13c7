// The main window's form: its size and look, and every control with the
// geometry and design state it is created with, in creation order.
#pragma once

#include "platform/ui/ControlDesc.h"
#include "resources/Ressources.h"

namespace ressource_formmj {

using ui::Alignment;
using ui::FontStyle;

inline constexpr ui::Blob Icone{RessourceIcone, &RessourceIcone_taille};

inline constexpr ui::FormDesc FormMj{
    .name = "FormMj", .clientWidth = 487, .clientHeight = 402, .icon = Icone};

inline constexpr ui::ControlDesc LabelTitreEtape{
    .name = "LabelTitreEtape", .left = 8, .top = 72, .width = 473, .height = 20,
    .caption = "LabelTitreEtape",
    .font = {.name = "MS Sans Serif", .size = 12, .style = FontStyle::Bold},
    .alignment = Alignment::Center};
inline constexpr ui::ControlDesc ImageConnectAppareilaPC{
    .name = "ImageConnectAppareilaPC", .left = 32, .top = 144, .width = 362, .height = 193,
    .enabled = false, .transparent = true,
    .picture = {RessourceConnexion, &RessourceConnexion_taille}};
inline constexpr ui::ControlDesc Image1{
    .name = "Image1", .left = 8, .top = 8, .width = 473, .height = 57,
    .picture = {RessourceLogo, &RessourceLogo_taille}, .center = true, .proportional = true};
inline constexpr ui::ControlDesc LabelLigne1{
    .name = "LabelLigne1", .left = 8, .top = 120, .width = 465, .height = 13,
    .caption = "LabelLigne1", .visible = false, .font = {.size = 8}};
inline constexpr ui::ControlDesc LabelLigne2{
    .name = "LabelLigne2", .left = 8, .top = 152, .width = 465, .height = 13,
    .caption = "LabelLigne2", .visible = false, .font = {.size = 8}};
inline constexpr ui::ControlDesc LabelLigne3{
    .name = "LabelLigne3", .left = 8, .top = 184, .width = 465, .height = 13,
    .caption = "LabelLigne3", .visible = false, .font = {.size = 8}};
inline constexpr ui::ControlDesc LabelLigne4{
    .name = "LabelLigne4", .left = 8, .top = 216, .width = 465, .height = 13,
    .caption = "LabelLigne4", .visible = false, .font = {.size = 8}};
inline constexpr ui::ControlDesc LabelBarreProgression{
    .name = "LabelBarreProgression", .left = 8, .top = 296, .width = 473, .height = 17,
    .visible = false, .font = {.size = 8, .style = FontStyle::Bold}};
inline constexpr ui::ControlDesc LabelLigne5{
    .name = "LabelLigne5", .left = 8, .top = 248, .width = 473, .height = 13,
    .caption = "LabelLigne5"};
inline constexpr ui::ControlDesc ButtonQuitter{
    .name = "ButtonQuitter", .left = 227, .top = 363, .width = 75, .height = 25,
    .caption = "Quitter", .tabOrder = 1, .hint = "permet de quitter la mise à jours",
    .showHint = true};
inline constexpr ui::ControlDesc ButtonPrecedant{
    .name = "ButtonPrecedant", .left = 323, .top = 363, .width = 75, .height = 25,
    .caption = "Précédent", .tabOrder = 2};
inline constexpr ui::ControlDesc ButtonSuivant{
    .name = "ButtonSuivant", .left = 403, .top = 363, .width = 75, .height = 25,
    .caption = "Suivant", .tabOrder = 3};
inline constexpr ui::ControlDesc EditEtape{
    .name = "EditEtape", .left = 16, .top = 365, .width = 113, .height = 21, .tabOrder = 4,
    .tabStop = false, .font = {.size = 8, .style = FontStyle::Bold}, .color = ui::clBtnFace,
    .readOnly = true};
inline constexpr ui::ControlDesc ButtonAPropos{
    .name = "ButtonAPropos", .left = 139, .top = 363, .width = 75, .height = 25,
    .caption = "A propos", .tabOrder = 6};
inline constexpr ui::ControlDesc GroupBoxChoixPort{
    .name = "GroupBoxChoixPort", .left = 344, .top = 144, .width = 129, .height = 209,
    .caption = "GroupBoxChoixPort", .visible = false, .tabOrder = 0};
inline constexpr ui::ControlDesc RadioCOM1{
    .name = "RadioCOM1", .left = 36, .top = 32, .width = 57, .height = 17, .caption = "COM 1",
    .tabOrder = 0};
inline constexpr ui::ControlDesc RadioCOM2{
    .name = "RadioCOM2", .left = 36, .top = 74, .width = 57, .height = 17, .caption = "COM 2",
    .tabOrder = 1};
inline constexpr ui::ControlDesc RadioCOM3{
    .name = "RadioCOM3", .left = 36, .top = 117, .width = 57, .height = 17, .caption = "COM 3",
    .tabOrder = 2};
inline constexpr ui::ControlDesc RadioCOM4{
    .name = "RadioCOM4", .left = 36, .top = 160, .width = 57, .height = 17, .caption = "COM 4",
    .tabOrder = 3};
inline constexpr ui::ControlDesc ProgressBarProgrammation{
    .name = "ProgressBarProgrammation", .left = 16, .top = 320, .width = 457, .height = 33,
    .visible = false, .tabOrder = 5, .min = 0, .max = 100, .step = 1};
inline constexpr ui::TimerDesc TimerGestionSerie{
    .name = "TimerGestionSerie", .interval = 1000, .enabled = true};

}  // namespace ressource_formmj
