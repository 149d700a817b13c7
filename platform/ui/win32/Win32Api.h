// The one way this back end reaches <windows.h>. Our own headers come first:
// Windows defines WM_USER, TRUE and many more as macros, which would rewrite
// the model's declarations of the same names if they were parsed after it.
#pragma once

#include "platform/ui/Ui.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
