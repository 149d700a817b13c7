// The POSIX back end on a real pty: the test holds the master, the slave is
// exposed as ttyUSB0 under a device root of its own, so that \\.\COM1
// reaches it, and never a port of this machine.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/commun/TempsCpu.h"
#include "tests/commun/DcbLiaison.h"
#include "platform/os/posix/PosixOs.h"
#include "platform/os/posix/UniqueFd.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using os::BOOL;
using os::FALSE;
using os::TRUE;
using os::BYTE;
using os::COMMTIMEOUTS;
using os::DCB;
using os::DWORD;
using os::HANDLE;
using Clock = std::chrono::steady_clock;

constexpr COMMTIMEOUTS kLinkTimeouts{500, 100, 1000, 100, 1000};

// The link's line: 9600 8E1, no flow control, DTR off, RTS on.

std::string Show(const DCB& d) {
  char text[256];
  std::snprintf(text, sizeof text,
                "len=%u baud=%u bin=%u par=%u cts=%u dsr=%u dtr=%u dsrs=%u txc=%u outx=%u inx=%u "
                "errc=%u null=%u rts=%u abort=%u xonlim=%u xofflim=%u size=%u parity=%u stop=%u "
                "xon=%d xoff=%d err=%d eof=%d evt=%d",
                d.DCBlength, d.BaudRate, d.fBinary, d.fParity, d.fOutxCtsFlow, d.fOutxDsrFlow,
                d.fDtrControl, d.fDsrSensitivity, d.fTXContinueOnXoff, d.fOutX, d.fInX,
                d.fErrorChar, d.fNull, d.fRtsControl, d.fAbortOnError, d.XonLim, d.XoffLim,
                d.ByteSize, d.Parity, d.StopBits, d.XonChar, d.XoffChar, d.ErrorChar, d.EofChar,
                d.EvtChar);
  return text;
}

// Wall and CPU time of one call.
struct Cost {
  std::chrono::milliseconds wall;
  double cpu;
};
template <typename F>
Cost Measure(F&& call) {
  const double cpu = CpuSecondes();
  const auto start = Clock::now();
  call();
  return {std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start),
          CpuSecondes() - cpu};
}

class PtyPort : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zt-pty-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "dev");
    fs::create_directories(root_ / "sys");
    master_ = os::UniqueFd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(master_.Valid());
    ASSERT_EQ(::grantpt(master_.Get()), 0);
    ASSERT_EQ(::unlockpt(master_.Get()), 0);
    char name[64];
    ASSERT_EQ(::ptsname_r(master_.Get(), name, sizeof name), 0);
    slave_ = name;
    fs::create_symlink(slave_, root_ / "dev" / "ttyUSB0");
    os_ = std::make_unique<os::PosixOs>(root_ / "dev", root_ / "sys");
  }
  void TearDown() override {
    os_.reset();
    fs::remove_all(root_);
  }

  HANDLE Open(const char* name = "\\\\.\\COM1") const {
    return os_->CreateFileA(name, os::GENERIC_READ | os::GENERIC_WRITE, 0, nullptr,
                            os::OPEN_EXISTING, 0, 0);
  }
  // Opened with the link's line and time-outs, as the link leaves it.
  HANDLE OpenLikeTheLink() const {
    const HANDLE h = Open();
    EXPECT_NE(h, os::INVALID_HANDLE_VALUE) << os_->GetLastError();
    const DCB dcb = DcbLiaison();
    EXPECT_TRUE(os_->SetCommState(h, &dcb)) << os_->GetLastError();
    EXPECT_TRUE(os_->SetCommTimeouts(h, &kLinkTimeouts));
    return h;
  }
  termios MasterView() const {
    termios t{};
    EXPECT_EQ(::tcgetattr(master_.Get(), &t), 0);
    return t;
  }
  void Send(const std::string& bytes) const {
    ASSERT_EQ(::write(master_.Get(), bytes.data(), bytes.size()), ssize_t(bytes.size()));
  }
  // What the device end receives, up to `count` bytes within a second.
  std::string Receive(std::size_t count) const {
    std::string got;
    pollfd p{master_.Get(), POLLIN, 0};
    while (got.size() < count && ::poll(&p, 1, 1000) == 1) {
      char buffer[4096];
      const ssize_t n = ::read(master_.Get(), buffer, std::min(sizeof buffer, count - got.size()));
      if (n <= 0) break;
      got.append(buffer, std::size_t(n));
    }
    return got;
  }
  std::string Read(HANDLE h, DWORD count, BOOL* ok = nullptr) const {
    std::string buffer(count, '\0');
    DWORD got = 12345;
    const BOOL result = os_->ReadFile(h, buffer.data(), count, &got, nullptr);
    if (ok) *ok = result;
    buffer.resize(result ? got : 0);
    return buffer;
  }

  fs::path root_;
  os::UniqueFd master_;
  std::string slave_;
  std::unique_ptr<os::PosixOs> os_;
};

TEST_F(PtyPort, TheDeviceEndSeesARaw9600LineWithoutFlowControl) {
  // Found with the terminal defaults plus hardware and software flow control.
  termios found = MasterView();
  found.c_cflag |= CRTSCTS;
  found.c_iflag |= IXON | IXOFF | IXANY;
  ASSERT_EQ(::tcsetattr(master_.Get(), TCSANOW, &found), 0);
  const HANDLE h = Open();
  ASSERT_NE(h, os::INVALID_HANDLE_VALUE);
  EXPECT_EQ(MasterView().c_lflag & (ICANON | ECHO), 0u) << "raw from the open on";
  const DCB dcb = DcbLiaison();
  ASSERT_TRUE(os_->SetCommState(h, &dcb)) << os_->GetLastError();
  const termios t = MasterView();
  EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
  EXPECT_EQ(cfgetispeed(&t), speed_t(B9600));
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
  EXPECT_EQ(t.c_cflag & (CRTSCTS | CSTOPB), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | IGNPAR), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
  EXPECT_TRUE(os_->CloseHandle(h));
}

TEST_F(PtyPort, EveryByteValuePassesUnchangedBothWays) {
  const HANDLE h = OpenLikeTheLink();
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  Send(all);
  EXPECT_EQ(Read(h, 256), all);
  // Reversed, so that an echo of what the device sent could not pass for it.
  const std::string reversed(all.rbegin(), all.rend());
  DWORD written = 0;
  ASSERT_TRUE(os_->WriteFile(h, reversed.data(), 256, &written, nullptr));
  EXPECT_EQ(written, 256u);
  EXPECT_EQ(Receive(256), reversed);
  EXPECT_TRUE(os_->CloseHandle(h));
}

// Saving then restoring gives back the state found, member for member.
TEST_F(PtyPort, CommStateRoundTrips) {
  termios found = MasterView();
  cfsetospeed(&found, B19200);
  cfsetispeed(&found, B19200);
  found.c_iflag |= IXON;
  ASSERT_EQ(::tcsetattr(master_.Get(), TCSANOW, &found), 0);
  const HANDLE h = Open();
  ASSERT_NE(h, os::INVALID_HANDLE_VALUE);
  DCB saved{};
  ASSERT_TRUE(os_->GetCommState(h, &saved));
  EXPECT_EQ(saved.DCBlength, 28u);
  EXPECT_EQ(saved.BaudRate, 19200u);
  EXPECT_EQ(saved.ByteSize, 8);
  EXPECT_EQ(saved.Parity, os::NOPARITY);
  EXPECT_EQ(saved.fOutX, 1u);
  for (const DCB& wanted : {DcbLiaison(), saved}) {
    ASSERT_TRUE(os_->SetCommState(h, &wanted)) << os_->GetLastError();
    DCB now{};
    ASSERT_TRUE(os_->GetCommState(h, &now));
    EXPECT_EQ(Show(now), Show(wanted));
  }
  const termios after = MasterView();
  EXPECT_EQ(cfgetospeed(&after), speed_t(B19200));
  EXPECT_TRUE(os_->CloseHandle(h));
}

TEST_F(PtyPort, RefusedStateChangesNothing) {
  const HANDLE h = OpenLikeTheLink();
  DCB odd = DcbLiaison();
  odd.BaudRate = 12345;
  EXPECT_FALSE(os_->SetCommState(h, &odd));
  EXPECT_EQ(os_->GetLastError(), os::ERROR_INVALID_PARAMETER);
  DCB now{};
  ASSERT_TRUE(os_->GetCommState(h, &now));
  EXPECT_EQ(Show(now), Show(DcbLiaison()));
  EXPECT_TRUE(os_->CloseHandle(h));
}

struct ReadCase {
  const char* name;
  const char* what;
  COMMTIMEOUTS timeouts;
  const char* sentBefore;
  DWORD count;
  const char* expected;
  std::chrono::milliseconds wall;
};

// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class ReadTimeouts : public PtyPort, public testing::WithParamInterface<ReadCase> {};

// Waits are poll()s: the right length, and next to no CPU while they last.
TEST_P(ReadTimeouts, ComeBackOnTimeWithoutBurningCpu) {
  const ReadCase& c = GetParam();
  const HANDLE h = OpenLikeTheLink();
  ASSERT_TRUE(os_->SetCommTimeouts(h, &c.timeouts));
  Send(c.sentBefore);
  BOOL ok = FALSE;
  std::string got;
  const Cost cost = Measure([&] { got = Read(h, c.count, &ok); });
  EXPECT_TRUE(ok) << c.what << ": error " << os_->GetLastError();
  EXPECT_EQ(got, c.expected) << c.what;
  EXPECT_GE(cost.wall, c.wall - 5ms) << c.what;
  EXPECT_LE(cost.wall, c.wall + 200ms) << c.what;
  EXPECT_LT(cost.cpu, 0.05) << c.what;
  EXPECT_TRUE(os_->CloseHandle(h));
}

constexpr DWORD kMax = 0xFFFFFFFFu;
INSTANTIATE_TEST_SUITE_P(
    Cases, ReadTimeouts,
    testing::Values(
        ReadCase{"Link", "the link's one-byte read, nothing coming", kLinkTimeouts, "", 1, "",
                 1100ms},
        ReadCase{"Interval", "interval after the first byte", {200, 0, 5000, 0, 0}, "A", 4, "A",
                 200ms},
        ReadCase{"Multiplier", "total grows with the count", {0, 100, 0, 0, 0}, "", 3, "", 300ms},
        ReadCase{"AtOnce", "at once with what is there", {kMax, 0, 0, 0, 0}, "", 8, "", 0ms},
        ReadCase{"FirstBytes", "with the first bytes", {kMax, kMax, 3000, 0, 0}, "AB", 8, "AB",
                 0ms}),
    [](const testing::TestParamInfo<ReadCase>& param) { return std::string(param.param.name); });

// Nobody reads the device end: the write gives up on time, as a success.
TEST_F(PtyPort, WriteTimeOutIsSuccessWithFewerBytes) {
  const HANDLE h = OpenLikeTheLink();
  const COMMTIMEOUTS t{0, 0, 0, 0, 300};
  ASSERT_TRUE(os_->SetCommTimeouts(h, &t));
  const std::vector<BYTE> lot(1 << 20, 0x55);
  DWORD written = 0;
  BOOL ok = FALSE;
  const Cost cost = Measure([&] {
    ok = os_->WriteFile(h, lot.data(), DWORD(lot.size()), &written, nullptr);
  });
  EXPECT_TRUE(ok) << os_->GetLastError();
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, lot.size());
  EXPECT_GE(cost.wall, 295ms);
  EXPECT_LE(cost.wall, 500ms);
  EXPECT_LT(cost.cpu, 0.05);
  EXPECT_TRUE(os_->CloseHandle(h));
}

TEST_F(PtyPort, PurgeDiscardsWhatCameIn) {
  const HANDLE h = OpenLikeTheLink();
  Send("AB");  // one write: both bytes land together
  EXPECT_EQ(Read(h, 1), "A");
  ASSERT_TRUE(os_->PurgeComm(h, os::PURGE_TXABORT | os::PURGE_RXABORT | os::PURGE_TXCLEAR |
                                    os::PURGE_RXCLEAR));
  const COMMTIMEOUTS now{kMax, 0, 0, 0, 0};
  ASSERT_TRUE(os_->SetCommTimeouts(h, &now));
  EXPECT_EQ(Read(h, 1), "");
  EXPECT_TRUE(os_->CloseHandle(h));
}

TEST_F(PtyPort, SecondOpenIsRefusedInThisProcessAndAnother) {
  const HANDLE h = Open();
  ASSERT_NE(h, os::INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open("COM1"), os::INVALID_HANDLE_VALUE);
  EXPECT_EQ(os_->GetLastError(), os::ERROR_ACCESS_DENIED);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    os::PosixOs other(root_ / "dev", root_ / "sys");
    const HANDLE mine = other.CreateFileA("\\\\.\\COM1", os::GENERIC_READ | os::GENERIC_WRITE, 0,
                                          nullptr, os::OPEN_EXISTING, 0, 0);
    ::_exit(mine == os::INVALID_HANDLE_VALUE ? int(other.GetLastError()) : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), int(os::ERROR_ACCESS_DENIED));

  EXPECT_TRUE(os_->CloseHandle(h));
  const HANDLE again = Open();
  EXPECT_NE(again, os::INVALID_HANDLE_VALUE) << "closing must release the port";
  EXPECT_TRUE(os_->CloseHandle(again));
}

// The device end goes away during a long read: the read fails at once,
// and so does everything after it, without spinning.
TEST_F(PtyPort, HangUpFailsAtOnceWithoutSpinning) {
  const HANDLE h = OpenLikeTheLink();
  const COMMTIMEOUTS patient{0, 0, 10000, 0, 10000};
  ASSERT_TRUE(os_->SetCommTimeouts(h, &patient));
  std::thread pull([this] {
    std::this_thread::sleep_for(200ms);
    master_.Reset();
  });
  BOOL ok = TRUE;
  const Cost cost = Measure([&] { Read(h, 1, &ok); });
  pull.join();
  EXPECT_FALSE(ok);
  EXPECT_EQ(os_->GetLastError(), os::ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_LT(cost.wall, 1500ms);
  EXPECT_LT(cost.cpu, 0.2);

  const Cost after = Measure([&] {
    EXPECT_EQ(Read(h, 1, &ok), "");
    EXPECT_FALSE(ok);
    const BYTE b = 0x80;
    DWORD written = 0;
    EXPECT_FALSE(os_->WriteFile(h, &b, 1, &written, nullptr));
    EXPECT_EQ(os_->GetLastError(), os::ERROR_DEVICE_NOT_CONNECTED);
  });
  EXPECT_LT(after.wall, 100ms);
  EXPECT_TRUE(os_->CloseHandle(h));
}

TEST_F(PtyPort, MissingPortsAreFileNotFound) {
  // A character device that is no terminal is no port either.
  fs::create_symlink("/dev/null", root_ / "dev" / "ttyUSB1");
  for (const char* name : {"\\\\.\\COM2", "\\\\.\\COM3", "COM0", "LPT1"}) {
    EXPECT_EQ(Open(name), os::INVALID_HANDLE_VALUE) << name;
    EXPECT_EQ(os_->GetLastError(), os::ERROR_FILE_NOT_FOUND) << name;
  }
}

TEST_F(PtyPort, ClosePutsBackWhatWasFound) {
  termios found = MasterView();
  cfsetospeed(&found, B19200);
  cfsetispeed(&found, B19200);
  found.c_cflag |= CSTOPB;
  found.c_iflag |= IXON | ICRNL;
  found.c_lflag |= ICANON | ECHO;
  found.c_cc[VMIN] = 1;
  ASSERT_EQ(::tcsetattr(master_.Get(), TCSANOW, &found), 0);
  found = MasterView();
  const HANDLE h = OpenLikeTheLink();
  ASSERT_TRUE(os_->CloseHandle(h));
  const termios back = MasterView();
  EXPECT_EQ(cfgetospeed(&back), cfgetospeed(&found));
  EXPECT_EQ(back.c_iflag, found.c_iflag);
  EXPECT_EQ(back.c_oflag, found.c_oflag);
  EXPECT_EQ(back.c_cflag, found.c_cflag);
  EXPECT_EQ(back.c_lflag, found.c_lflag);
  EXPECT_EQ(std::string(std::begin(back.c_cc), std::end(back.c_cc)),
            std::string(std::begin(found.c_cc), std::end(found.c_cc)));
  // Nor is the port left exclusive for the next program.
  os::UniqueFd slave(::open(slave_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(slave.Valid());
  int exclusive = -1;
  ASSERT_EQ(::ioctl(slave.Get(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
}

TEST_F(PtyPort, UnknownAndClosedHandlesAreInvalid) {
  const HANDLE h = Open();
  ASSERT_TRUE(os_->CloseHandle(h));
  for (const HANDLE bad : {h, HANDLE{0x1234}, os::INVALID_HANDLE_VALUE}) {
    DCB dcb{};
    EXPECT_FALSE(os_->GetCommState(bad, &dcb));
    EXPECT_EQ(os_->GetLastError(), os::ERROR_INVALID_HANDLE);
    BOOL ok = TRUE;
    Read(bad, 1, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(os_->GetLastError(), os::ERROR_INVALID_HANDLE);
    EXPECT_FALSE(os_->CloseHandle(bad));
    EXPECT_EQ(os_->GetLastError(), os::ERROR_INVALID_HANDLE);
  }
}

TEST(PosixClock, SleepAndTickCountAgreeWithTheMonotonicClock) {
  os::PosixOs posix("/nonexistent", "/nonexistent");
  const DWORD before = posix.GetTickCount();
  const Cost cost = Measure([&] { posix.Sleep(100); });
  const DWORD ticks = posix.GetTickCount() - before;
  EXPECT_GE(cost.wall, 100ms);
  EXPECT_LT(cost.wall, 180ms);
  EXPECT_NEAR(double(ticks), double(cost.wall.count()), 2.0);
}

}  // namespace
