#include "platform/os/posix/PosixOs.h"

namespace os {

// The real system of a Linux program: one for the whole process, so that
// ports left open at exit are put back as they were found.
Os& Systeme() {
  static PosixOs posix;
  return posix;
}

}  // namespace os
