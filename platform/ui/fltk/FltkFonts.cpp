#include "platform/ui/fltk/FltkFonts.h"

#include <array>

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <fontconfig/fontconfig.h>

namespace ui::fltk {

namespace {

bool Installed(const char* family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* found = FcFontList(nullptr, pattern, fields);
  const bool any = found && found->nfont > 0;
  if (found) FcFontSetDestroy(found);
  FcObjectSetDestroy(fields);
  FcPatternDestroy(pattern);
  return any;
}

}  // namespace

std::string ChooseSansFamily() {
  // Helvetica's metrics first (the closest to the designer's face), then a
  // condensed face of about the same widths.
  constexpr std::array<const char*, 6> preferred{"Liberation Sans", "Arimo", "Arial", "Nimbus Sans",
                                                 "Helvetica", "DejaVu Sans Condensed"};
  if (!FcInit()) return "sans";
  for (const char* family : preferred) {
    if (Installed(family)) return family;
  }
  return "sans";
}

void UseSansFamily(const std::string& family) {
  // FLTK keeps the names' pointers: they live as long as the program.
  static std::array<std::string, 4> names;
  const std::array<char, 4> styles{' ', 'B', 'I', 'P'};  // FLTK's Xft prefixes
  const std::array<Fl_Font, 4> slots{FL_HELVETICA, FL_HELVETICA_BOLD, FL_HELVETICA_ITALIC,
                                     FL_HELVETICA_BOLD_ITALIC};
  for (std::size_t i = 0; i < slots.size(); ++i) {
    names[i] = styles[i] + family;
    Fl::set_font(slots[i], names[i].c_str());
  }
}

}  // namespace ui::fltk
