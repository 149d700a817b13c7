// One open serial port: the locked descriptor, what was found on it (put
// back when the port is destroyed), and the Win32 state a termios cannot
// hold. Every operation returns 0 or a Win32 error code.
#pragma once

#include <linux/serial.h>
#include <termios.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/os/Win32.h"
#include "platform/os/posix/LineSettings.h"
#include "platform/os/posix/UniqueFd.h"

namespace os {

class SerialPort {
 public:
  // Opens `path` for this process alone and makes it raw, keeping its line
  // settings. On failure `port` stays empty and nothing is left changed.
  static DWORD Open(const std::string& path, std::unique_ptr<SerialPort>& port);

  explicit SerialPort(UniqueFd fd);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  DWORD GetState(DCB& d) const;
  DWORD SetState(const DCB& d);
  DWORD Purge(DWORD flags);
  DWORD Read(BYTE* buffer, DWORD count, DWORD& got);
  DWORD Write(const BYTE* buffer, DWORD count, DWORD& sent);

  COMMTIMEOUTS timeouts{};

 private:
  using Clock = std::chrono::steady_clock;

  DWORD Prepare();
  void SaveDriverState();
  void Restore();
  DWORD Apply(const termios& wanted);
  DWORD SetLines(const DCB& d);
  ModemLines Lines() const;
  DWORD Wait(short events, std::optional<Clock::time_point> deadline, bool& timedOut) const;

  UniqueFd fd_;
  bool pty_ = false;
  // What was found, to put back; each only if it could be read.
  bool haveTermios_ = false;
  termios foundTermios_{};
  bool haveLines_ = false;
  int foundLines_ = 0;
  bool lowLatencySet_ = false;
  serial_struct foundSerial_{};
  bool foundExclusive_ = false;
  // A pty keeps neither modem lines nor a frame; we keep what was asked, so
  // that the state read back is the state set.
  ModemLines askedLines_{};
  tcflag_t askedFrame_ = 0;
  // The DCB members no termios holds (limits, error and event characters).
  DCB extras_{};
};

}  // namespace os
