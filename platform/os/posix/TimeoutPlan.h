// How long a ReadFile or WriteFile may wait, from a COMMTIMEOUTS, with
// Win32's meaning of each combination.
#pragma once

#include <chrono>
#include <optional>

#include "platform/os/Win32.h"

namespace os {

inline constexpr DWORD MAXDWORD = 0xFFFFFFFFu;

struct ReadPlan {
  std::optional<std::chrono::milliseconds> total;     // none: no bound on the whole read
  std::optional<std::chrono::milliseconds> interval;  // bound on a gap after the first byte
  bool returnOnAny = false;                           // done as soon as some bytes are in
};

// Win32's read rules:
//   all zero                      wait until all `count` bytes are in
//   MAXDWORD, 0, 0                return at once with what is there
//   MAXDWORD, MAXDWORD, c         return with the first bytes, or none after c
//   MAXDWORD, m, c (c < MAXDWORD) return with the first bytes, or none after m*count+c
//   i, m, c                       at most m*count+c in all (if either is set),
//                                 at most i between two bytes (if set)
ReadPlan PlanRead(const COMMTIMEOUTS& t, DWORD count);

// A write waits at most m*count+c in all; with both zero, without bound.
std::optional<std::chrono::milliseconds> PlanWrite(const COMMTIMEOUTS& t, DWORD count);

}  // namespace os
