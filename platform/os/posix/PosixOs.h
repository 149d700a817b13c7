// The system layer on Linux: serial ports through termios on the tty
// devices, the tick clock and Sleep on the monotonic clock.
//
// Ports are found by their Win32 names (see PortNames.h) under a device
// root and a sysfs root, /dev and /sys unless a test gives its own. A port
// is opened for this process alone, made raw, and put back as it was found
// when its handle is closed. ReadFile and WriteFile wait by poll() within
// the COMMTIMEOUTS; a hang-up fails them at once with
// ERROR_DEVICE_NOT_CONNECTED. Error codes come from ErrnoTable.h.
//
// One thread uses it, as the link does: GetLastError is per object, not
// per thread.
#pragma once

#include <filesystem>
#include <map>
#include <memory>

#include "platform/os/Os.h"
#include "platform/os/posix/PortNames.h"
#include "platform/os/posix/SerialPort.h"

namespace os {

class PosixOs : public Os {
 public:
  explicit PosixOs(std::filesystem::path devRoot = "/dev", std::filesystem::path sysRoot = "/sys");
  ~PosixOs() override;
  PosixOs(const PosixOs&) = delete;
  PosixOs& operator=(const PosixOs&) = delete;

  HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD creation,
                     DWORD flags, HANDLE templateFile) override;
  BOOL GetCommState(HANDLE h, DCB* dcb) override;
  BOOL SetCommState(HANDLE h, const DCB* dcb) override;
  BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) override;
  BOOL SetCommTimeouts(HANDLE h, const COMMTIMEOUTS* timeouts) override;
  BOOL PurgeComm(HANDLE h, DWORD flags) override;
  BOOL ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read, void* overlapped) override;
  BOOL WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written,
                 void* overlapped) override;
  BOOL CloseHandle(HANDLE h) override;
  DWORD GetLastError() override { return lastError_; }
  DWORD GetTickCount() override;
  void Sleep(DWORD milliseconds) override;

 private:
  SerialPort* Find(HANDLE h);
  // TRUE for 0, else FALSE with `code` for GetLastError.
  BOOL Result(DWORD code);

  PortNames names_;
  std::map<HANDLE, std::unique_ptr<SerialPort>> ports_;
  // Handles look like Win32's (multiples of 4) and are never reused, so a
  // stale one is refused rather than reaching another port.
  HANDLE nextHandle_ = 0x100;
  DWORD lastError_ = ERROR_SUCCESS;
};

}  // namespace os
