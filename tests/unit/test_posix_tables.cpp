// The POSIX back end's pure rules: errno to Win32 codes, time-outs, and the
// DCB as termios.
#include <gtest/gtest.h>

#include <cerrno>

#include "tests/commun/DcbLiaison.h"
#include "platform/os/posix/ErrnoTable.h"
#include "platform/os/posix/LineSettings.h"
#include "platform/os/posix/TimeoutPlan.h"

namespace {

using namespace std::chrono_literals;
using os::DWORD;
using os::Moment;

struct ErrnoCase {
  int error;
  DWORD opening;
  DWORD openPort;
};

class ErrnoTableTest : public testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoTableTest, MapsByMoment) {
  const ErrnoCase& c = GetParam();
  EXPECT_EQ(os::Win32Error(c.error, Moment::Opening), c.opening) << "errno " << c.error;
  EXPECT_EQ(os::Win32Error(c.error, Moment::OpenPort), c.openPort) << "errno " << c.error;
}

INSTANTIATE_TEST_SUITE_P(Rows, ErrnoTableTest,
                         testing::Values(ErrnoCase{ENOENT, 2, 2}, ErrnoCase{ENXIO, 2, 1167},
                                         ErrnoCase{ENODEV, 2, 1167}, ErrnoCase{EIO, 2, 1167},
                                         ErrnoCase{ENOTTY, 2, 50}, ErrnoCase{EACCES, 5, 5},
                                         ErrnoCase{EPERM, 5, 5}, ErrnoCase{EBUSY, 5, 5},
                                         ErrnoCase{EWOULDBLOCK, 5, 5}, ErrnoCase{EINVAL, 87, 87},
                                         ErrnoCase{ENOMEM, 8, 8}, ErrnoCase{EBADF, 6, 6},
                                         ErrnoCase{ETIMEDOUT, 31, 31}, ErrnoCase{0, 31, 31}));

struct ReadCase {
  os::COMMTIMEOUTS t;
  DWORD count;
  std::optional<std::chrono::milliseconds> total;
  std::optional<std::chrono::milliseconds> interval;
  bool returnOnAny;
};

class PlanReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(PlanReadTest, FollowsWin32Rules) {
  const ReadCase& c = GetParam();
  const os::ReadPlan plan = os::PlanRead(c.t, c.count);
  EXPECT_EQ(plan.total, c.total);
  EXPECT_EQ(plan.interval, c.interval);
  EXPECT_EQ(plan.returnOnAny, c.returnOnAny);
}

constexpr DWORD kMax = os::MAXDWORD;
constexpr os::COMMTIMEOUTS kLink{500, 100, 1000, 100, 1000};

INSTANTIATE_TEST_SUITE_P(
    Cases, PlanReadTest,
    testing::Values(ReadCase{kLink, 1, 1100ms, 500ms, false},
                    ReadCase{kLink, 16, 2600ms, 500ms, false},
                    ReadCase{{0, 0, 0, 0, 0}, 1, std::nullopt, std::nullopt, false},
                    ReadCase{{kMax, 0, 0, 0, 0}, 8, 0ms, std::nullopt, false},
                    ReadCase{{kMax, kMax, 250, 0, 0}, 8, 250ms, std::nullopt, true},
                    ReadCase{{kMax, 10, 100, 0, 0}, 3, 130ms, std::nullopt, true},
                    ReadCase{{20, 0, 0, 0, 0}, 4, std::nullopt, 20ms, false},
                    // 2^32 ms times 2^32 must not wrap into a short wait.
                    ReadCase{{0, kMax, kMax, 0, 0}, kMax, 315360000000ms, std::nullopt, false}));

TEST(PlanWrite, BoundsTheWholeWriteOrNothing) {
  EXPECT_EQ(os::PlanWrite(kLink, 1), 1100ms);
  EXPECT_EQ(os::PlanWrite(kLink, 10), 2000ms);
  EXPECT_EQ(os::PlanWrite({0, 0, 0, 0, 0}, 1), std::nullopt);
}


termios Termios(const os::DCB& d) {
  termios t{};
  EXPECT_EQ(os::DcbToTermios(d, t), 0u);
  return t;
}

struct RefusalCase {
  const char* what;
  void (*change)(os::DCB&);
  DWORD code;
};

class DcbRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(DcbRefusalTest, RefusesWhatNoPortTakes) {
  os::DCB d = DcbLiaison();
  GetParam().change(d);
  termios t{};
  EXPECT_EQ(os::DcbToTermios(d, t), GetParam().code) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DcbRefusalTest,
    testing::Values(
        RefusalCase{"the link's DCB", [](os::DCB&) {}, 0},
        RefusalCase{"all zero", [](os::DCB& d) { d = os::DCB{}; }, 87},
        RefusalCase{"wrong length", [](os::DCB& d) { d.DCBlength = 12; }, 87},
        RefusalCase{"odd rate", [](os::DCB& d) { d.BaudRate = 12345; }, 87},
        RefusalCase{"9 bits", [](os::DCB& d) { d.ByteSize = 9; }, 87},
        RefusalCase{"parity 5", [](os::DCB& d) { d.Parity = 5; }, 87},
        RefusalCase{"1.5 stop bits of 8", [](os::DCB& d) { d.StopBits = 1; }, 87},
        RefusalCase{"DSR flow", [](os::DCB& d) { d.fOutxDsrFlow = 1; }, 50},
        RefusalCase{"DTR handshake", [](os::DCB& d) { d.fDtrControl = 2; }, 50},
        RefusalCase{"RTS toggle", [](os::DCB& d) { d.fRtsControl = 3; }, 50}));

// Line settings survive DCB -> termios -> DCB.
TEST(LineSettings, FramesAndFlowControlRoundTrip) {
  os::DCB odd = DcbLiaison();
  odd.BaudRate = 19200;
  odd.ByteSize = 7;
  odd.Parity = os::ODDPARITY;
  odd.StopBits = os::TWOSTOPBITS;
  odd.fOutX = 1;
  odd.fInX = 1;
  os::DCB mark = DcbLiaison();
  mark.BaudRate = 115200;
  mark.ByteSize = 5;
  mark.Parity = os::dcb::MARKPARITY;
  mark.StopBits = os::dcb::ONE5STOPBITS;
  mark.fOutxCtsFlow = 1;
  mark.fRtsControl = os::dcb::RTS_CONTROL_HANDSHAKE;
  mark.fParity = 0;
  for (const os::DCB& in : {DcbLiaison(), odd, mark}) {
    os::DCB out{};
    os::TermiosToDcb(Termios(in), {in.fDtrControl == 1, in.fRtsControl == 1}, out);
    EXPECT_EQ(out.BaudRate, in.BaudRate);
    EXPECT_EQ(out.ByteSize, in.ByteSize);
    EXPECT_EQ(out.Parity, in.Parity);
    EXPECT_EQ(out.StopBits, in.StopBits);
    EXPECT_EQ(out.fParity, in.fParity);
    EXPECT_EQ(out.fOutxCtsFlow, in.fOutxCtsFlow);
    EXPECT_EQ(out.fRtsControl, in.fRtsControl);
    EXPECT_EQ(out.fDtrControl, in.fDtrControl);
    EXPECT_EQ(out.fOutX, in.fOutX);
    EXPECT_EQ(out.fInX, in.fInX);
    EXPECT_EQ(out.XonChar, in.XonChar);
    EXPECT_EQ(out.XoffChar, in.XoffChar);
  }
}

struct DropCase {
  const char* what;
  void (*change)(termios&);
  bool pty;
  bool differs;
};

class LineDiffersTest : public testing::TestWithParam<DropCase> {};

TEST_P(LineDiffersTest, CatchesWhatThePortDidNotKeep) {
  const termios wanted = Termios(DcbLiaison());
  termios got = wanted;
  GetParam().change(got);
  EXPECT_EQ(os::LineDiffers(wanted, got, GetParam().pty), GetParam().differs) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineDiffersTest,
    testing::Values(
        DropCase{"kept", [](termios&) {}, false, false},
        DropCase{"parity dropped", [](termios& tio) { tio.c_cflag &= ~PARENB; }, false, true},
        DropCase{"odd for even", [](termios& tio) { tio.c_cflag |= PARODD; }, false, true},
        DropCase{"7 bits", [](termios& tio) { tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7; }, false, true},
        DropCase{"rate kept at 38400", [](termios& tio) { cfsetospeed(&tio, B38400); }, false, true},
        DropCase{"pty: parity dropped", [](termios& tio) { tio.c_cflag &= ~PARENB; }, true, false},
        DropCase{"pty: rate kept at 38400", [](termios& tio) { cfsetospeed(&tio, B38400); }, true,
                 true},
        DropCase{"handshake on", [](termios& tio) { tio.c_cflag |= CRTSCTS; }, true, true},
        DropCase{"XON/XOFF on", [](termios& tio) { tio.c_iflag |= IXON; }, true, true}));

}  // namespace
