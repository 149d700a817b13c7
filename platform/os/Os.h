// The thin system layer the link and the port probing call. Each operation
// keeps the arguments and result semantics of its Win32 namesake: a failing
// call returns FALSE (or INVALID_HANDLE_VALUE) and GetLastError gives the code.
#pragma once

#include "platform/os/Win32.h"

namespace os {

class Os {
 public:
  virtual ~Os() = default;

  virtual HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                             DWORD creation, DWORD flags, HANDLE templateFile) = 0;
  virtual BOOL GetCommState(HANDLE h, DCB* dcb) = 0;
  virtual BOOL SetCommState(HANDLE h, const DCB* dcb) = 0;
  virtual BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) = 0;
  virtual BOOL SetCommTimeouts(HANDLE h, const COMMTIMEOUTS* timeouts) = 0;
  virtual BOOL PurgeComm(HANDLE h, DWORD flags) = 0;
  virtual BOOL ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read, void* overlapped) = 0;
  virtual BOOL WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written,
                         void* overlapped) = 0;
  virtual BOOL CloseHandle(HANDLE h) = 0;
  virtual DWORD GetLastError() = 0;
  virtual DWORD GetTickCount() = 0;
  virtual void Sleep(DWORD milliseconds) = 0;
};

// The real system of this build: each back-end folder defines it, and the
// build links exactly one of them into a program.
Os& Systeme();

}  // namespace os
