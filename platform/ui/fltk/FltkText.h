// Text drawing shared by our FLTK widgets: the form's sans-serif face at the
// font's pixel height, with no FLTK label symbols (an @ in a mail address is
// text) and an underline where the font asks for one.
#pragma once

#include <string>

#include <FL/Enumerations.H>

#include "platform/ui/Types.h"

namespace ui::fltk {

Fl_Font FaceOf(const Font& font);
Fl_Color ColorOf(Color c);
Fl_Align AlignOf(Alignment a);
// Sets the drawing font; returns its line height.
int UseFont(const Font& font);
void DrawText(const std::string& text, const Font& font, Fl_Color color, int x, int y, int w, int h,
              Fl_Align align);
// FLTK reads @ in widget labels as a symbol; doubled, it is shown as itself.
std::string EscapeSymbols(const std::string& label);

}  // namespace ui::fltk
