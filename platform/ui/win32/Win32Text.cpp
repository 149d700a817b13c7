#include "platform/ui/win32/Win32Text.h"

namespace ui::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), narrow.data(), n, nullptr,
                      nullptr);
  return narrow;
}

COLORREF ColorRefOf(ui::Color color) {
  if (color == clBtnFace) return GetSysColor(COLOR_BTNFACE);
  if (color == clWindow) return GetSysColor(COLOR_WINDOW);
  if (color == clWindowText) return GetSysColor(COLOR_WINDOWTEXT);
  return RGB(color.r, color.g, color.b);
}

}  // namespace ui::win32
