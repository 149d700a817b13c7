// The detached start behind the shell's open: it returns at once, the
// program runs with its arguments, gets none of our descriptors and leaves
// no child of ours behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/ui/fltk/SpawnDetached.h"

namespace {

std::string ReadWhenThere(const std::filesystem::path& p) {
  for (int i = 0; i < 100 && !std::filesystem::exists(p); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SpawnDetached, ReturnsAtOnceWithoutZombieOrInheritedDescriptors) {
  const auto dir = std::filesystem::temp_directory_path() / ("zt-spawn-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto script = dir / "opener";
  const auto out = dir / "out";
  std::ofstream(script) << "#!/bin/sh\nsleep 1\nls /proc/$$/fd > '" << out.string() << ".fd'\n"
                        << "printf '%s|' \"$@\" > '" << out.string() << "'\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const int held = open("/dev/null", O_RDONLY);  // as a serial port would be, without close-on-exec
  ASSERT_GE(held, 3);

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(ui::fltk::SpawnDetached({script.string(), "mailto: contact@exemple.fr"}));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(200));
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);  // no child of ours is left to reap
  EXPECT_EQ(errno, ECHILD);

  EXPECT_EQ(ReadWhenThere(out), "mailto: contact@exemple.fr|");
  std::string fds = ReadWhenThere(out.string() + ".fd");
  EXPECT_EQ(fds.find(std::to_string(held) + "\n"), std::string::npos) << fds;
  close(held);
  std::filesystem::remove_all(dir);
}

}  // namespace
