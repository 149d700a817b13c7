// Starts a program detached from ours, for the shell's open of a URL.
#pragma once

#include <string>
#include <vector>

namespace ui::fltk {

// Runs argv[0] (looked up in PATH) with `argv`, without waiting for it and
// without leaving a zombie: an intermediate child starts the program and
// exits at once, so the program is reparented and reaped by the system. The
// program gets none of our descriptors beyond 0 to 2 (a serial port must not
// stay open in a browser started from here). The outcome is not examined;
// false only if the intermediate child could not be made.
bool SpawnDetached(const std::vector<std::string>& argv);

}  // namespace ui::fltk
