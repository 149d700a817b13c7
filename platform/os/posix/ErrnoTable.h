// The one place where errno becomes a Win32 error code, the currency of the
// link and of the port probing.
#pragma once

#include "platform/os/Win32.h"

namespace os {

// The same errno can mean "there is no port" while opening and "the device
// went away" once the port is open (EIO from an absent UART's open, EIO
// from a read after a hang-up), so the table has a column for each.
enum class Moment { Opening, OpenPort };

DWORD Win32Error(int error, Moment moment);

}  // namespace os
