// The Windows system layer on the system itself (under Wine in CI): the
// calls reach Win32 with their arguments and results intact, error codes
// come from the thread's GetLastError, and on a real port the time-outs we
// pass bound a read as they say. The port test runs when ZT_COM_PORT names a
// port (scripts/test-windows maps Wine's COM1 to the simulator's pty). The
// line settings are not checked here: Wine's serial layer on a pty reads
// even parity back as none; the whole update under Wine (e2e-wine.sh) shows
// the link's own settings at work against the simulator, which checks every
// byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/os/windows/WindowsOs.h"

namespace {

using namespace os;

TEST(WindowsOs, PortsThatDoNotExistGiveFileNotFound) {
  WindowsOs sys;
  for (const char* name : {"\\\\.\\COM9", "\\\\.\\COM10", "\\\\.\\ZTNOPORT"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(sys.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, 0),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(sys.GetLastError(), ERROR_FILE_NOT_FOUND);
  }
}

struct CallCase {
  const char* name;
  std::function<BOOL(Os&, HANDLE)> call;
};

TEST(WindowsOs, EveryCallOnAStaleHandleFailsWithInvalidHandle) {
  WindowsOs sys;
  DCB dcb{};
  COMMTIMEOUTS timeouts{};
  unsigned char byte = 0;
  DWORD n = 0;
  const CallCase cases[] = {
      {"GetCommState", [&](Os& s, HANDLE h) { return s.GetCommState(h, &dcb); }},
      {"SetCommState", [&](Os& s, HANDLE h) { return s.SetCommState(h, &dcb); }},
      {"GetCommTimeouts", [&](Os& s, HANDLE h) { return s.GetCommTimeouts(h, &timeouts); }},
      {"SetCommTimeouts", [&](Os& s, HANDLE h) { return s.SetCommTimeouts(h, &timeouts); }},
      {"PurgeComm", [&](Os& s, HANDLE h) { return s.PurgeComm(h, 0x0F); }},
      {"ReadFile", [&](Os& s, HANDLE h) { return s.ReadFile(h, &byte, 1, &n, nullptr); }},
      {"WriteFile", [&](Os& s, HANDLE h) { return s.WriteFile(h, &byte, 1, &n, nullptr); }},
      {"CloseHandle", [&](Os& s, HANDLE h) { return s.CloseHandle(h); }},
  };
  // A handle that was valid once: a real one, closed.
  const HANDLE stale = sys.CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, 0);
  ASSERT_NE(stale, INVALID_HANDLE_VALUE);
  ASSERT_EQ(sys.CloseHandle(stale), TRUE);
  for (const CallCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(sys, stale), FALSE);
    EXPECT_EQ(sys.GetLastError(), ERROR_INVALID_HANDLE);
  }
}

TEST(WindowsOs, TickCountFollowsSleep) {
  WindowsOs sys;
  const DWORD start = sys.GetTickCount();
  sys.Sleep(120);
  const DWORD elapsed = sys.GetTickCount() - start;
  EXPECT_GE(elapsed, 100u);
  EXPECT_LT(elapsed, 1000u);
}

// ---- a real port, the simulator behind it -------------------------------------

class WindowsPort : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* port = std::getenv("ZT_COM_PORT");
    if (!port) GTEST_SKIP() << "ZT_COM_PORT names no port";
    path_ = std::string("\\\\.\\") + port;
    h_ = sys_.CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, 0);
    ASSERT_NE(h_, INVALID_HANDLE_VALUE) << "error " << sys_.GetLastError();
  }
  void TearDown() override {
    if (h_ != INVALID_HANDLE_VALUE) sys_.CloseHandle(h_);
  }
  WindowsOs sys_;
  std::string path_;
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

TEST_F(WindowsPort, TimeoutsComeBackAsSetAndBoundAnUnansweredRead) {
  const COMMTIMEOUTS wanted{500, 100, 1000, 100, 1000};
  ASSERT_EQ(sys_.SetCommTimeouts(h_, &wanted), TRUE);
  COMMTIMEOUTS got{};
  ASSERT_EQ(sys_.GetCommTimeouts(h_, &got), TRUE);
  EXPECT_EQ(got.ReadIntervalTimeout, 500u);
  EXPECT_EQ(got.ReadTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(got.ReadTotalTimeoutConstant, 1000u);
  EXPECT_EQ(got.WriteTotalTimeoutConstant, 1000u);
  ASSERT_EQ(sys_.PurgeComm(h_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR), TRUE);
  // Nothing was sent, so nothing comes: 100 x 1 + 1000 ms, then no byte.
  unsigned char byte = 0;
  DWORD n = 99;
  const DWORD start = sys_.GetTickCount();
  ASSERT_EQ(sys_.ReadFile(h_, &byte, 1, &n, nullptr), TRUE);
  const DWORD elapsed = sys_.GetTickCount() - start;
  EXPECT_EQ(n, 0u);
  EXPECT_GE(elapsed, 1000u);
  EXPECT_LT(elapsed, 1600u);
}

}  // namespace
