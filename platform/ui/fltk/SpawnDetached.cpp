#include "platform/ui/fltk/SpawnDetached.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace ui::fltk {

namespace {

// After fork only async-signal-safe calls: everything is prepared before.
[[noreturn]] void RunGrandchild(char* const* args, int maxFd) {
  setsid();  // out of our session: a closing terminal does not take it down
  if (close_range(3, ~0U, 0) != 0) {
    for (int fd = 3; fd < maxFd; ++fd) close(fd);
  }
  execvp(args[0], args);
  _exit(127);
}

}  // namespace

bool SpawnDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const long openMax = sysconf(_SC_OPEN_MAX);
  const int maxFd = openMax > 0 && openMax < 65536 ? static_cast<int>(openMax) : 65536;

  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    const pid_t grandchild = fork();
    if (grandchild == 0) RunGrandchild(args.data(), maxFd);
    _exit(0);
  }
  // The intermediate child exits at once; reaping it takes no time.
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace ui::fltk
