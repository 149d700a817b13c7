#include "platform/os/posix/LineSettings.h"

#include <array>
#include <utility>

namespace os {

namespace {

constexpr std::array<std::pair<DWORD, speed_t>, 30> kBauds{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
}};

constexpr std::array<std::pair<BYTE, tcflag_t>, 4> kSizes{{
    {5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}}};

void SetFlag(tcflag_t& flags, tcflag_t bit, bool on) {
  if (on)
    flags |= bit;
  else
    flags &= ~bit;
}

DWORD CheckDcb(const DCB& d) {
  if (d.DCBlength != sizeof(DCB) || !SpeedOf(d.BaudRate)) return ERROR_INVALID_PARAMETER;
  if (d.ByteSize < 5 || d.ByteSize > 8 || d.Parity > dcb::SPACEPARITY)
    return ERROR_INVALID_PARAMETER;
  // 1.5 stop bits exist only for 5-bit characters, 2 only for the others.
  const bool fiveBits = d.ByteSize == 5;
  if (d.StopBits > TWOSTOPBITS || (d.StopBits == dcb::ONE5STOPBITS && !fiveBits) ||
      (d.StopBits == TWOSTOPBITS && fiveBits))
    return ERROR_INVALID_PARAMETER;
  if (d.fOutxDsrFlow || d.fDtrControl == dcb::DTR_CONTROL_HANDSHAKE ||
      d.fRtsControl == dcb::RTS_CONTROL_TOGGLE)
    return ERROR_NOT_SUPPORTED;
  return ERROR_SUCCESS;
}

BYTE ParityOf(tcflag_t c) {
  if (!(c & PARENB)) return NOPARITY;
  if (c & CMSPAR) return (c & PARODD) ? dcb::MARKPARITY : dcb::SPACEPARITY;
  return (c & PARODD) ? ODDPARITY : EVENPARITY;
}

}  // namespace

std::optional<speed_t> SpeedOf(DWORD baud) {
  for (auto [rate, speed] : kBauds)
    if (rate == baud) return speed;
  return std::nullopt;
}

std::optional<DWORD> BaudOf(speed_t speed) {
  for (auto [rate, s] : kBauds)
    if (s == speed) return rate;
  return std::nullopt;
}

void MakeRaw(termios& t) {
  t.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC |
                 IXANY | IMAXBEL);
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOKE | ICANON | ISIG | IEXTEN);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

DWORD DcbToTermios(const DCB& d, termios& t) {
  if (DWORD error = CheckDcb(d)) return error;
  const speed_t speed = *SpeedOf(d.BaudRate);
  cfsetospeed(&t, speed);
  cfsetispeed(&t, speed);
  t.c_cflag &= ~kFrameBits;
  for (auto [bits, flag] : kSizes)
    if (bits == d.ByteSize) t.c_cflag |= flag;
  SetFlag(t.c_cflag, PARENB, d.Parity != NOPARITY);
  SetFlag(t.c_cflag, PARODD, d.Parity == ODDPARITY || d.Parity == dcb::MARKPARITY);
  SetFlag(t.c_cflag, CMSPAR, d.Parity == dcb::MARKPARITY || d.Parity == dcb::SPACEPARITY);
  SetFlag(t.c_cflag, CSTOPB, d.StopBits != ONESTOPBIT);
  // Linux couples both directions of the RTS/CTS handshake in one flag.
  SetFlag(t.c_cflag, CRTSCTS, d.fOutxCtsFlow || d.fRtsControl == dcb::RTS_CONTROL_HANDSHAKE);
  SetFlag(t.c_iflag, INPCK, d.fParity);
  SetFlag(t.c_iflag, IXON, d.fOutX);
  SetFlag(t.c_iflag, IXOFF, d.fInX);
  t.c_cc[VSTART] = static_cast<cc_t>(d.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(d.XoffChar);
  return ERROR_SUCCESS;
}

void TermiosToDcb(const termios& t, ModemLines lines, DCB& d) {
  d.DCBlength = sizeof(DCB);
  d.BaudRate = BaudOf(cfgetospeed(&t)).value_or(0);
  d.fBinary = 1;  // the only mode a serial port has on Windows too
  d.fParity = (t.c_iflag & INPCK) != 0;
  const bool handshake = (t.c_cflag & CRTSCTS) != 0;
  d.fOutxCtsFlow = handshake;
  d.fRtsControl = handshake ? dcb::RTS_CONTROL_HANDSHAKE
                            : (lines.rts ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE);
  d.fDtrControl = lines.dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  d.fOutX = (t.c_iflag & IXON) != 0;
  d.fInX = (t.c_iflag & IXOFF) != 0;
  d.ByteSize = 8;
  for (auto [bits, flag] : kSizes)
    if ((t.c_cflag & CSIZE) == flag) d.ByteSize = bits;
  d.Parity = ParityOf(t.c_cflag);
  d.StopBits = !(t.c_cflag & CSTOPB) ? ONESTOPBIT
               : d.ByteSize == 5    ? dcb::ONE5STOPBITS
                                    : TWOSTOPBITS;
  d.XonChar = static_cast<char>(t.c_cc[VSTART]);
  d.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
}

bool LineDiffers(const termios& wanted, const termios& got, bool pty) {
  tcflag_t line = CBAUD | CSTOPB | CRTSCTS;
  if (!pty) line |= kFrameBits;
  const tcflag_t input = IXON | IXOFF;
  return cfgetospeed(&wanted) != cfgetospeed(&got) ||
         ((wanted.c_cflag ^ got.c_cflag) & line) != 0 ||
         ((wanted.c_iflag ^ got.c_iflag) & input) != 0;
}

}  // namespace os
