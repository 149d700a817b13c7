// Text and colour as Windows wants them: the model's UTF-8 becomes UTF-16
// for the wide calls, so accented captions reach the controls intact
// whatever the ANSI code page of the machine.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/win32/Win32Api.h"

namespace ui::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The designer's named colours are the system's; others are plain RGB.
COLORREF ColorRefOf(ui::Color color);

}  // namespace ui::win32
