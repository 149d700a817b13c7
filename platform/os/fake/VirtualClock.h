// The clock of every test: time moves only when a fake call waits (a read
// time-out, a Sleep, a byte on the line) or when a test moves it.
#pragma once

#include <cstdint>

#include "platform/os/Win32.h"

namespace os {

class VirtualClock {
 public:
  std::uint64_t NowUs() const { return nowUs_; }
  void Advance(std::uint64_t us) { nowUs_ += us; }
  void AdvanceTo(std::uint64_t us) {
    if (us > nowUs_) nowUs_ = us;
  }
  // GetTickCount's view: milliseconds since an origin a test may set, modulo 2^32,
  // so that a test can start just below the wrap.
  DWORD Ticks() const { return static_cast<DWORD>(tickOrigin_ + nowUs_ / 1000); }
  void SetTicks(DWORD ticks) { tickOrigin_ = ticks - static_cast<DWORD>(nowUs_ / 1000); }

 private:
  std::uint64_t nowUs_ = 0;
  DWORD tickOrigin_ = 0;
};

}  // namespace os
