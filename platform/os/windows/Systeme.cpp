#include "platform/os/windows/WindowsOs.h"

namespace os {

// The real system of a Windows program.
Os& Systeme() {
  static WindowsOs windows;
  return windows;
}

}  // namespace os
