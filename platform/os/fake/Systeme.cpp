#include "platform/os/fake/FakeOs.h"

namespace os {

// A test program's default system: one fake machine for the whole process.
// Tests that want their own construct a FakeOs and pass it in.
Os& Systeme() {
  static FakeOs fake;
  return fake;
}

}  // namespace os
