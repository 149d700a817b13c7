#include "platform/os/posix/TimeoutPlan.h"

#include <algorithm>
#include <cstdint>

namespace os {

namespace {

// Ten years: beyond any wait that means anything, and far enough from the
// limits of the clock that a deadline computed from it cannot overflow.
constexpr std::uint64_t kLongestMs = 10ull * 365 * 24 * 3600 * 1000;

// In 64 bits, so that a large multiplier times a large count cannot wrap
// into a short time-out.
std::chrono::milliseconds Total(DWORD multiplier, DWORD constant, DWORD count) {
  const std::uint64_t ms = std::uint64_t{multiplier} * count + constant;
  return std::chrono::milliseconds(std::min(ms, kLongestMs));
}

}  // namespace

ReadPlan PlanRead(const COMMTIMEOUTS& t, DWORD count) {
  ReadPlan plan;
  const DWORD m = t.ReadTotalTimeoutMultiplier;
  const DWORD c = t.ReadTotalTimeoutConstant;
  if (t.ReadIntervalTimeout == MAXDWORD) {
    if (m == 0 && c == 0) {
      plan.total = std::chrono::milliseconds(0);
    } else if (c != MAXDWORD) {
      plan.returnOnAny = true;
      plan.total = m == MAXDWORD ? std::chrono::milliseconds(c) : Total(m, c, count);
    }
    return plan;
  }
  if (m != 0 || c != 0) plan.total = Total(m, c, count);
  if (t.ReadIntervalTimeout != 0) plan.interval = std::chrono::milliseconds(t.ReadIntervalTimeout);
  return plan;
}

std::optional<std::chrono::milliseconds> PlanWrite(const COMMTIMEOUTS& t, DWORD count) {
  const DWORD m = t.WriteTotalTimeoutMultiplier;
  const DWORD c = t.WriteTotalTimeoutConstant;
  if (m == 0 && c == 0) return std::nullopt;
  return Total(m, c, count);
}

}  // namespace os
