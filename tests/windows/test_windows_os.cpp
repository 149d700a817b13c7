// The Windows system layer on the system itself (under Wine in CI): the
// calls reach Win32 with their arguments and results intact, error codes
// come from the thread's GetLastError, and on a real port the line settings
// and time-outs we pass are the ones the port applies. The port tests run
// when ZT_COM_PORT names a port with the boot-loader simulator behind it
// (scripts/test-windows maps Wine's COM1 to the simulator's pty).
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
  static DCB LineSettings() {
    DCB d{};
    d.DCBlength = sizeof d;
    d.BaudRate = 9600;
    d.fBinary = 1;
    d.fParity = 1;
    d.fDtrControl = DTR_CONTROL_DISABLE;
    d.fRtsControl = RTS_CONTROL_ENABLE;
    d.XonLim = 100;
    d.XoffLim = 100;
    d.ByteSize = 8;
    d.Parity = EVENPARITY;
    d.StopBits = ONESTOPBIT;
    d.XonChar = 1;
    d.XoffChar = 2;
    return d;
  }

  WindowsOs sys_;
  std::string path_;
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

TEST_F(WindowsPort, LineSettingsAreAppliedAsPassed) {
  const DCB wanted = LineSettings();
  ASSERT_EQ(sys_.SetCommState(h_, &wanted), TRUE) << "error " << sys_.GetLastError();
  DCB got{};
  ASSERT_EQ(sys_.GetCommState(h_, &got), TRUE);
  EXPECT_EQ(got.BaudRate, 9600u);
  EXPECT_EQ(got.ByteSize, 8);
  EXPECT_EQ(got.Parity, EVENPARITY);
  EXPECT_EQ(got.StopBits, ONESTOPBIT);
  EXPECT_EQ(got.fOutxCtsFlow, 0u);
  EXPECT_EQ(got.fOutX, 0u);
  EXPECT_EQ(got.fInX, 0u);
}

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

TEST_F(WindowsPort, ThePollIsAnsweredThroughTheEvenParityLine) {
  const DCB line = LineSettings();
  const COMMTIMEOUTS timeouts{500, 100, 1000, 100, 1000};
  ASSERT_EQ(sys_.SetCommState(h_, &line), TRUE);
  ASSERT_EQ(sys_.SetCommTimeouts(h_, &timeouts), TRUE);
  const unsigned char poll = 0x80;
  DWORD n = 0;
  ASSERT_EQ(sys_.WriteFile(h_, &poll, 1, &n, nullptr), TRUE);
  EXPECT_EQ(n, 1u);
  unsigned char answer = 0;
  ASSERT_EQ(sys_.ReadFile(h_, &answer, 1, &n, nullptr), TRUE);
  ASSERT_EQ(n, 1u);
  EXPECT_EQ(answer, 0x81);
  // The session is ended again, so the simulator sees a clean hang-up.
  const unsigned char end = 0x04;
  sys_.WriteFile(h_, &end, 1, &n, nullptr);
  sys_.ReadFile(h_, &answer, 1, &n, nullptr);
}

}  // namespace
