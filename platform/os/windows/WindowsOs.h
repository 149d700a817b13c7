// The system layer on Windows: every call goes straight to its Win32
// namesake, the handles, DCB and COMMTIMEOUTS passed through as they are
// (our types are laid out as Win32's; WindowsOs.cpp checks it at compile
// time). GetLastError is the thread's own, as the link expects.
#pragma once

#include "platform/os/Os.h"

namespace os {

class WindowsOs final : public Os {
 public:
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
  DWORD GetLastError() override;
  DWORD GetTickCount() override;
  void Sleep(DWORD milliseconds) override;
};

}  // namespace os
