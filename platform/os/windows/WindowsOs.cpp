#include "platform/os/windows/WindowsOs.h"

#include <cstddef>
#include <cstring>

// After our own headers: <windows.h> defines TRUE, FALSE, GENERIC_READ and
// others as macros, which would rewrite our constants of the same names.
#include <windows.h>

namespace os {

namespace {

// Our structures must be Win32's, byte for byte, for the pass-through below.
static_assert(sizeof(DCB) == sizeof(::DCB));
static_assert(offsetof(DCB, BaudRate) == offsetof(::DCB, BaudRate));
static_assert(offsetof(DCB, wReserved) == offsetof(::DCB, wReserved));
static_assert(offsetof(DCB, XonLim) == offsetof(::DCB, XonLim));
static_assert(offsetof(DCB, ByteSize) == offsetof(::DCB, ByteSize));
static_assert(offsetof(DCB, XonChar) == offsetof(::DCB, XonChar));
static_assert(offsetof(DCB, EvtChar) == offsetof(::DCB, EvtChar));
static_assert(offsetof(DCB, wReserved1) == offsetof(::DCB, wReserved1));
static_assert(sizeof(COMMTIMEOUTS) == sizeof(::COMMTIMEOUTS));
static_assert(sizeof(HANDLE) == sizeof(::HANDLE));
static_assert(sizeof(DWORD) == sizeof(::DWORD));
static_assert(INVALID_HANDLE_VALUE == -1);

::HANDLE Native(HANDLE h) { return reinterpret_cast<::HANDLE>(h); }
HANDLE Ours(::HANDLE h) { return reinterpret_cast<HANDLE>(h); }

// The bit-fields of the two DCBs are declared alike but are distinct types:
// the bytes are copied rather than the pointer cast, which keeps the
// compiler's aliasing rules.
template <typename To, typename From>
To Copy(const From& from) {
  static_assert(sizeof(To) == sizeof(From));
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}

}  // namespace

HANDLE WindowsOs::CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                              DWORD creation, DWORD flags, HANDLE templateFile) {
  return Ours(::CreateFileA(name, access, share, static_cast<LPSECURITY_ATTRIBUTES>(security), creation,
                            flags, Native(templateFile)));
}

BOOL WindowsOs::GetCommState(HANDLE h, DCB* dcb) {
  ::DCB native{};
  native.DCBlength = sizeof native;
  if (!::GetCommState(Native(h), &native)) return FALSE;
  *dcb = Copy<DCB>(native);
  return TRUE;
}

BOOL WindowsOs::SetCommState(HANDLE h, const DCB* dcb) {
  ::DCB native = Copy<::DCB>(*dcb);
  return ::SetCommState(Native(h), &native) ? TRUE : FALSE;
}

BOOL WindowsOs::GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) {
  ::COMMTIMEOUTS native{};
  if (!::GetCommTimeouts(Native(h), &native)) return FALSE;
  *timeouts = Copy<COMMTIMEOUTS>(native);
  return TRUE;
}

BOOL WindowsOs::SetCommTimeouts(HANDLE h, const COMMTIMEOUTS* timeouts) {
  ::COMMTIMEOUTS native = Copy<::COMMTIMEOUTS>(*timeouts);
  return ::SetCommTimeouts(Native(h), &native) ? TRUE : FALSE;
}

BOOL WindowsOs::PurgeComm(HANDLE h, DWORD flags) { return ::PurgeComm(Native(h), flags) ? TRUE : FALSE; }

BOOL WindowsOs::ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read, void* overlapped) {
  ::DWORD n = 0;
  const BOOL ok = ::ReadFile(Native(h), buffer, toRead, &n, static_cast<LPOVERLAPPED>(overlapped)) ? TRUE : FALSE;
  if (read) *read = n;
  return ok;
}

BOOL WindowsOs::WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped) {
  ::DWORD n = 0;
  const BOOL ok =
      ::WriteFile(Native(h), buffer, toWrite, &n, static_cast<LPOVERLAPPED>(overlapped)) ? TRUE : FALSE;
  if (written) *written = n;
  return ok;
}

BOOL WindowsOs::CloseHandle(HANDLE h) { return ::CloseHandle(Native(h)) ? TRUE : FALSE; }

DWORD WindowsOs::GetLastError() { return ::GetLastError(); }

DWORD WindowsOs::GetTickCount() { return ::GetTickCount(); }

void WindowsOs::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

}  // namespace os
