#include "platform/ui/win32/Win32Picture.h"

#include <gdiplus.h>
#include <shlwapi.h>

namespace ui::win32 {

namespace gp = Gdiplus::DllExports;

namespace {

// A GDI+ bitmap read from memory, disposed of when it goes.
class GdipBitmap {
 public:
  explicit GdipBitmap(std::span<const unsigned char> bytes) {
    ComPtr<IStream> stream(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size())));
    if (stream && gp::GdipCreateBitmapFromStream(stream.get(), &bitmap_) != Gdiplus::Ok) bitmap_ = nullptr;
  }
  ~GdipBitmap() {
    if (bitmap_) gp::GdipDisposeImage(bitmap_);
  }
  GdipBitmap(const GdipBitmap&) = delete;
  GdipBitmap& operator=(const GdipBitmap&) = delete;
  Gdiplus::GpBitmap* Get() const { return bitmap_; }

 private:
  Gdiplus::GpBitmap* bitmap_ = nullptr;
};

}  // namespace

GdiplusSession::GdiplusSession() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
}

GdiObject<HBITMAP> DecodeBitmap(std::span<const unsigned char> bytes, COLORREF background) {
  GdipBitmap bitmap(bytes);
  HBITMAP result = nullptr;
  const Gdiplus::ARGB argb = 0xFF000000u | (Gdiplus::ARGB{GetRValue(background)} << 16) |
                             (Gdiplus::ARGB{GetGValue(background)} << 8) | GetBValue(background);
  if (!bitmap.Get() || gp::GdipCreateHBITMAPFromBitmap(bitmap.Get(), &result, argb) != Gdiplus::Ok) return {};
  return GdiObject<HBITMAP>(result);
}

UniqueIcon DecodeIcon(std::span<const unsigned char> bytes) {
  GdipBitmap bitmap(bytes);
  HICON result = nullptr;
  if (!bitmap.Get() || gp::GdipCreateHICONFromBitmap(bitmap.Get(), &result) != Gdiplus::Ok) return {};
  return UniqueIcon(result);
}

}  // namespace ui::win32
