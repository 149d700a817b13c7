#include "platform/ui/fltk/FltkText.h"

#include <FL/fl_draw.H>

namespace ui::fltk {

Fl_Font FaceOf(const Font& font) {
  Fl_Font face = FL_HELVETICA;
  if (font.style.Has(FontStyle::Bold)) face |= FL_BOLD;
  if (font.style.Has(FontStyle::Italic)) face |= FL_ITALIC;
  return face;
}

Fl_Color ColorOf(Color c) { return fl_rgb_color(c.r, c.g, c.b); }

Fl_Align AlignOf(Alignment a) {
  switch (a) {
    case Alignment::Center:
      return FL_ALIGN_CENTER;
    case Alignment::Right:
      return FL_ALIGN_RIGHT;
    case Alignment::Left:
      break;
  }
  return FL_ALIGN_LEFT;
}

int UseFont(const Font& font) {
  fl_font(FaceOf(font), font.height);
  return fl_height();
}

void DrawText(const std::string& text, const Font& font, Fl_Color color, int x, int y, int w, int h,
              Fl_Align align) {
  const int lineHeight = UseFont(font);
  fl_color(color);
  fl_push_clip(x, y, w, h);
  fl_draw(text.c_str(), x, y, w, h, align | FL_ALIGN_INSIDE, nullptr, 0);
  if (font.style.Has(FontStyle::Underline) && !text.empty()) {
    int tw = 0, th = 0;
    fl_measure(text.c_str(), tw, th, 0);
    int left = x;
    if (align & FL_ALIGN_RIGHT) left = x + w - tw;
    else if (!(align & FL_ALIGN_LEFT)) left = x + (w - tw) / 2;
    int base = y + lineHeight - fl_descent() + 1;
    if (!(align & FL_ALIGN_TOP)) base += (h - th) / 2;
    fl_line(left, base, left + tw - 1, base);
  }
  fl_pop_clip();
}

std::string EscapeSymbols(const std::string& label) {
  std::string out;
  for (char c : label) {
    out += c;
    if (c == '@') out += '@';
  }
  return out;
}

}  // namespace ui::fltk
