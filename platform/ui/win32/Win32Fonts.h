// The fonts and brushes the controls use, made once and kept for the run:
// a control changes font often (page 1 sets bold, then italic 10 points), and
// Windows keeps no reference of its own to what WM_SETFONT is given.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "platform/ui/win32/Win32Handles.h"

namespace ui::win32 {

class GdiCache {
 public:
  // The model's pixel height is the character height (the em), which is
  // what a negative LOGFONT height asks for: 8 points are 11 pixels at 96 dpi.
  HFONT FontOf(const ui::Font& font);
  HBRUSH BrushOf(COLORREF color);

 private:
  std::map<std::tuple<std::string, int, bool, bool, bool>, GdiObject<HFONT>> fonts_;
  std::map<COLORREF, GdiObject<HBRUSH>> brushes_;
};

}  // namespace ui::win32
