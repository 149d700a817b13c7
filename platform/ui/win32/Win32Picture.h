// Pictures compiled into the program, decoded by the system's own codecs
// (GDI+, present on every Windows since XP): the JPEGs become bitmaps, the
// form's PNG icon becomes an icon.
#pragma once

#include <span>

#include "platform/ui/win32/Win32Handles.h"

namespace ui::win32 {

// GDI+ for the life of the back end.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool Ready() const { return token_ != 0; }

 private:
  ULONG_PTR token_ = 0;
};

// Null when the bytes cannot be decoded.
GdiObject<HBITMAP> DecodeBitmap(std::span<const unsigned char> bytes, COLORREF background);
UniqueIcon DecodeIcon(std::span<const unsigned char> bytes);

}  // namespace ui::win32
