#include "platform/ui/win32/Win32Fonts.h"

#include "platform/ui/win32/Win32Text.h"

namespace ui::win32 {

HFONT GdiCache::FontOf(const ui::Font& font) {
  const bool bold = font.style.Has(FontStyle::Bold);
  const bool italic = font.style.Has(FontStyle::Italic);
  const bool underline = font.style.Has(FontStyle::Underline);
  auto key = std::make_tuple(font.name, font.height, bold, italic, underline);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.get();
  const std::wstring face = Widen(font.name);
  HFONT made = CreateFontW(-font.height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  return fonts_.emplace(std::move(key), GdiObject<HFONT>(made)).first->second.get();
}

HBRUSH GdiCache::BrushOf(COLORREF color) {
  auto it = brushes_.find(color);
  if (it != brushes_.end()) return it->second.get();
  return brushes_.emplace(color, GdiObject<HBRUSH>(CreateSolidBrush(color))).first->second.get();
}

}  // namespace ui::win32
