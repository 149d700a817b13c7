// The CPU time this process has used so far, user and system, for the tests
// and benchmarks that check that waiting costs next to nothing.
#pragma once

#include <sys/resource.h>

inline double CpuSecondes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  auto secondes = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return secondes(usage.ru_utime) + secondes(usage.ru_stime);
}
