// The process side of the wizard's benchmark: the wizard started in a mount
// namespace of its own where the simulator's pty is /dev/ttyS0, xdotool's
// clicks, and what /proc tells of a running process.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/integration/SimulateurPty.h"

struct Lance {
  ProcessusEnfant enfant;
  std::int64_t execNs = 0;  // CLOCK_MONOTONIC just before its execve
};

// `programme` as COM1's only user: in a private mount namespace, `pty` bound
// over /dev/ttyS0, its standard output sent to our standard error. Needs
// root; throws when the namespace or the mount cannot be had.
Lance LancerAvecPtyEnCom1(const std::string& programme, const std::string& pty);

// Whether the process has ended (it is left to be reaped).
bool Fini(pid_t pid);

// Runs xdotool with `arguments` to its end; gives its wall time in ms.
// Throws when it fails.
double Xdotool(const std::vector<std::string>& arguments);

struct Cpu {
  std::int64_t ns = 0;       // CLOCK_MONOTONIC of the reading
  std::int64_t ticks = 0;    // utime + stime of /proc/PID/stat, in clock ticks
  std::int64_t schedNs = 0;  // time on a CPU, /proc/PID/schedstat
};
Cpu LireCpu(pid_t pid);
// VmHWM of /proc/PID/status, in KiB.
long PicResidentKiB(pid_t pid);
