// Owners for the Win32 handles this back end creates: each is released by
// the call that matches the one that made it.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/ui/win32/Win32Api.h"

namespace ui::win32 {

struct WindowDeleter {
  void operator()(HWND h) const { DestroyWindow(h); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

struct GdiDeleter {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiDeleter>;

struct IconDeleter {
  void operator()(HICON h) const { DestroyIcon(h); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct ComRelease {
  void operator()(IUnknown* p) const { p->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComRelease>;

// A device context of the screen, for measuring.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// An object selected into a device context for a scope, then put back.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, previous_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace ui::win32
