#include "platform/os/posix/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/os/posix/ErrnoTable.h"
#include "platform/os/posix/TimeoutPlan.h"

namespace os {

namespace {

using Clock = std::chrono::steady_clock;

// Unix98 pty slaves: /dev/pts/N.
constexpr unsigned kPtySlaveFirstMajor = 136;
constexpr unsigned kPtySlaveLastMajor = 143;

constexpr DWORD kHangUp = ERROR_DEVICE_NOT_CONNECTED;
constexpr DWORD kPurgeFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

DWORD PortError() { return Win32Error(errno, Moment::OpenPort); }

bool IsPty(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned m = major(st.st_rdev);
  return m >= kPtySlaveFirstMajor && m <= kPtySlaveLastMajor;
}

// A driver without modem lines (a pty) answers ENOTTY, some EINVAL: that
// port simply has no lines to set, which is no failure.
bool NoModemLines(int error) { return error == ENOTTY || error == EINVAL; }

std::optional<Clock::time_point> ReadDeadline(const ReadPlan& plan, Clock::time_point start,
                                              Clock::time_point last, bool started) {
  std::optional<Clock::time_point> deadline;
  if (plan.total) deadline = start + *plan.total;
  if (plan.interval && started) {
    const Clock::time_point gap = last + *plan.interval;
    deadline = deadline ? std::min(*deadline, gap) : gap;
  }
  return deadline;
}

int PollTimeout(std::optional<Clock::time_point> deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
  return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
}

}  // namespace

DWORD SerialPort::Open(const std::string& path, std::unique_ptr<SerialPort>& port) {
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) return Win32Error(errno, Moment::Opening);
  // The lock before anything else, so that a second opener changes nothing
  // on a port in use. It is what really guards: root passes TIOCEXCL, and
  // two descriptions of one file conflict inside one process too.
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return Win32Error(errno, Moment::Opening);
  auto opened = std::make_unique<SerialPort>(std::move(fd));
  // On failure the destructor puts back whatever Prepare changed.
  if (DWORD error = opened->Prepare()) return error;
  port = std::move(opened);
  return ERROR_SUCCESS;
}

SerialPort::SerialPort(UniqueFd fd) : fd_(std::move(fd)), pty_(IsPty(fd_.Get())) {}

SerialPort::~SerialPort() { Restore(); }

DWORD SerialPort::Prepare() {
  const int fd = fd_.Get();
  if (::tcgetattr(fd, &foundTermios_) != 0) return Win32Error(errno, Moment::Opening);
  haveTermios_ = true;
  int exclusive = 0;
  if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0) foundExclusive_ = exclusive != 0;
  if (::ioctl(fd, TIOCEXCL) != 0) return Win32Error(errno, Moment::Opening);
  SaveDriverState();
  askedFrame_ = foundTermios_.c_cflag & kFrameBits;
  termios raw = foundTermios_;
  MakeRaw(raw);
  if (::tcsetattr(fd, TCSANOW, &raw) != 0) return Win32Error(errno, Moment::Opening);
  return ERROR_SUCCESS;
}

void SerialPort::SaveDriverState() {
  const int fd = fd_.Get();
  haveLines_ = ::ioctl(fd, TIOCMGET, &foundLines_) == 0;
  if (haveLines_)
    askedLines_ = {(foundLines_ & TIOCM_DTR) != 0, (foundLines_ & TIOCM_RTS) != 0};
  // USB adapters hold received bytes back for up to 16 ms unless asked for
  // low latency, and this protocol turns the line around once per word.
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) == 0 && !(serial.flags & ASYNC_LOW_LATENCY)) {
    foundSerial_ = serial;
    serial.flags |= ASYNC_LOW_LATENCY;
    lowLatencySet_ = ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
  }
}

// Best effort: a port that hung up refuses all of these, and closing it is
// then all there is left to do. TCSANOW, not TCSADRAIN: a drain behind a
// stalled handshake would hold the caller without bound.
void SerialPort::Restore() {
  const int fd = fd_.Get();
  if (haveLines_) {
    int up = foundLines_ & (TIOCM_DTR | TIOCM_RTS);
    int down = ~foundLines_ & (TIOCM_DTR | TIOCM_RTS);
    ::ioctl(fd, TIOCMBIS, &up);
    ::ioctl(fd, TIOCMBIC, &down);
  }
  if (haveTermios_) ::tcsetattr(fd, TCSANOW, &foundTermios_);
  if (lowLatencySet_) ::ioctl(fd, TIOCSSERIAL, &foundSerial_);
  if (haveTermios_ && !foundExclusive_) ::ioctl(fd, TIOCNXCL);
}

ModemLines SerialPort::Lines() const {
  int bits = 0;
  if (::ioctl(fd_.Get(), TIOCMGET, &bits) != 0) return askedLines_;
  return {(bits & TIOCM_DTR) != 0, (bits & TIOCM_RTS) != 0};
}

DWORD SerialPort::GetState(DCB& d) const {
  termios t{};
  if (::tcgetattr(fd_.Get(), &t) != 0) return PortError();
  if (pty_) t.c_cflag = (t.c_cflag & ~kFrameBits) | askedFrame_;
  d = extras_;
  TermiosToDcb(t, Lines(), d);
  return ERROR_SUCCESS;
}

DWORD SerialPort::SetState(const DCB& d) {
  termios before{};
  if (::tcgetattr(fd_.Get(), &before) != 0) return PortError();
  termios wanted = before;
  if (DWORD error = DcbToTermios(d, wanted)) return error;
  MakeRaw(wanted);
  if (DWORD error = Apply(wanted)) {
    ::tcsetattr(fd_.Get(), TCSANOW, &before);  // a refused DCB changes nothing
    return error;
  }
  if (DWORD error = SetLines(d)) return error;
  askedFrame_ = wanted.c_cflag & kFrameBits;
  extras_ = d;
  extras_.fDummy2 = 0;
  return ERROR_SUCCESS;
}

// tcsetattr succeeds when any part of the request was applied, so the
// result is read back: a port that kept another rate or dropped the parity
// would otherwise talk a line the device does not understand, silently.
DWORD SerialPort::Apply(const termios& wanted) {
  if (::tcsetattr(fd_.Get(), TCSANOW, &wanted) != 0) return PortError();
  termios got{};
  if (::tcgetattr(fd_.Get(), &got) != 0) return PortError();
  return LineDiffers(wanted, got, pty_) ? ERROR_NOT_SUPPORTED : ERROR_SUCCESS;
}

DWORD SerialPort::SetLines(const DCB& d) {
  ModemLines asked = askedLines_;
  int up = 0;
  int down = 0;
  asked.dtr = d.fDtrControl == DTR_CONTROL_ENABLE;
  (asked.dtr ? up : down) |= TIOCM_DTR;
  if (d.fRtsControl != dcb::RTS_CONTROL_HANDSHAKE) {  // with CRTSCTS the driver drives RTS
    asked.rts = d.fRtsControl == RTS_CONTROL_ENABLE;
    (asked.rts ? up : down) |= TIOCM_RTS;
  }
  if (up && ::ioctl(fd_.Get(), TIOCMBIS, &up) != 0 && !NoModemLines(errno)) return PortError();
  if (down && ::ioctl(fd_.Get(), TIOCMBIC, &down) != 0 && !NoModemLines(errno))
    return PortError();
  askedLines_ = asked;
  return ERROR_SUCCESS;
}

// Every call is synchronous, so no transfer is ever pending when PurgeComm
// runs: the abort flags have nothing to abort.
DWORD SerialPort::Purge(DWORD flags) {
  if (flags & ~kPurgeFlags) return ERROR_INVALID_PARAMETER;
  const bool rx = (flags & PURGE_RXCLEAR) != 0;
  const bool tx = (flags & PURGE_TXCLEAR) != 0;
  if (!rx && !tx) return ERROR_SUCCESS;
  const int queue = rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH;
  return ::tcflush(fd_.Get(), queue) == 0 ? ERROR_SUCCESS : PortError();
}

// Waits for `events` until `deadline` (none: without bound). A hang-up
// shows as POLLHUP or POLLERR and ends the wait at once; readiness comes
// first, so that bytes that arrived before a hang-up are still read.
DWORD SerialPort::Wait(short events, std::optional<Clock::time_point> deadline,
                       bool& timedOut) const {
  timedOut = false;
  for (;;) {
    pollfd p{fd_.Get(), events, 0};
    const int timeout = PollTimeout(deadline);
    const int n = ::poll(&p, 1, timeout);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return PortError();
    if (n == 0) {
      if (deadline && timeout != 0 && Clock::now() < *deadline) continue;  // woken early
      timedOut = true;
      return ERROR_SUCCESS;
    }
    if (p.revents & events) return ERROR_SUCCESS;
    return (p.revents & POLLNVAL) ? ERROR_INVALID_HANDLE : kHangUp;
  }
}

DWORD SerialPort::Read(BYTE* buffer, DWORD count, DWORD& got) {
  got = 0;
  const ReadPlan plan = PlanRead(timeouts, count);
  const Clock::time_point start = Clock::now();
  Clock::time_point last = start;
  while (got < count && !(plan.returnOnAny && got > 0)) {
    bool timedOut = false;
    if (DWORD error = Wait(POLLIN, ReadDeadline(plan, start, last, got > 0), timedOut))
      return error;
    if (timedOut) break;
    const ssize_t n = ::read(fd_.Get(), buffer + got, count - got);
    if (n > 0) {
      got += static_cast<DWORD>(n);
      last = Clock::now();
      continue;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    // Input was announced and none came: a hung-up tty reads 0, a pty
    // whose other end closed reads EIO.
    return n == 0 ? kHangUp : PortError();
  }
  return ERROR_SUCCESS;
}

DWORD SerialPort::Write(const BYTE* buffer, DWORD count, DWORD& sent) {
  sent = 0;
  std::optional<Clock::time_point> deadline;
  if (auto limit = PlanWrite(timeouts, count)) deadline = Clock::now() + *limit;
  while (sent < count) {
    const ssize_t n = ::write(fd_.Get(), buffer + sent, count - sent);
    if (n > 0) {
      sent += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return PortError();
    bool timedOut = false;
    if (DWORD error = Wait(POLLOUT, deadline, timedOut)) return error;
    if (timedOut) break;  // as on Win32: success, with fewer bytes written
  }
  return ERROR_SUCCESS;
}

}  // namespace os
