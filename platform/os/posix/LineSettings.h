// The line settings of a DCB in termios terms, both ways. A termios holds
// the baud rate, the frame, the flow control and the XON/XOFF characters;
// the modem lines come from the driver beside it.
#pragma once

#include <termios.h>

#include <optional>

#include "platform/os/Win32.h"

namespace os {

// DCB values the link does not use, needed to map every DCB a port reports.
namespace dcb {
inline constexpr BYTE MARKPARITY = 3;
inline constexpr BYTE SPACEPARITY = 4;
inline constexpr BYTE ONE5STOPBITS = 1;
inline constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_TOGGLE = 3;
}  // namespace dcb

// The frame bits of a termios: what a pty does not keep.
inline constexpr tcflag_t kFrameBits = CSIZE | PARENB | PARODD | CMSPAR;

struct ModemLines {
  bool dtr = true;  // Linux raises both when a port is opened
  bool rts = true;
};

std::optional<speed_t> SpeedOf(DWORD baud);
std::optional<DWORD> BaudOf(speed_t speed);

// Bytes pass unchanged both ways (no echo, no line editing, no CR/LF
// translation, no signals, no software flow control), a read never waits
// inside the driver (VMIN = VTIME = 0: the time-outs are ours, by poll),
// and the modem status lines are ignored (CLOCAL). The line itself (rate,
// frame, hardware flow control) is left as it is.
void MakeRaw(termios& t);

// Writes the line part of `d` into `t`. Returns 0, ERROR_INVALID_PARAMETER
// for a DCB no port takes, or ERROR_NOT_SUPPORTED for a handshake Linux
// has no equivalent of (DSR, DTR and toggled-RTS flow control).
DWORD DcbToTermios(const DCB& d, termios& t);

// Overwrites the line part of `d` with what `t` and `lines` say; the rest
// of `d` (limits, the error and event characters) is left to the caller.
void TermiosToDcb(const termios& t, ModemLines lines, DCB& d);

// Whether the port failed to keep what was asked of it: a driver may accept
// tcsetattr and silently keep its own rate or drop the parity. A pty has no
// line, and Linux always forces its frame to 8 bits without parity, so only
// its rate and flow control are compared.
bool LineDiffers(const termios& wanted, const termios& got, bool pty);

}  // namespace os
