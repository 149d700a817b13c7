// The one way this back end reaches <windows.h>. Our own headers come first:
// Windows defines WM_USER, TRUE and many more as macros, which would rewrite
// the model's declarations of the same names if they were parsed after it.
#pragma once

#include "platform/ui/Ui.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <unknwn.h>

// Inside our namespace, the model's handle and message types would hide
// Windows' own, which differ (a form's handle is a number there).
namespace ui::win32 {
using ::HWND;
using ::LPARAM;
using ::LRESULT;
using ::UINT;
using ::WPARAM;
}  // namespace ui::win32
