#include "platform/os/posix/PosixOs.h"

#include <cerrno>
#include <ctime>

namespace os {

namespace {

constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000u;

timespec MonotonicNow() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

}  // namespace

PosixOs::PosixOs(std::filesystem::path devRoot, std::filesystem::path sysRoot)
    : names_(std::move(devRoot), std::move(sysRoot)) {}

// Ports still open are put back as they were found.
PosixOs::~PosixOs() = default;

SerialPort* PosixOs::Find(HANDLE h) {
  auto it = ports_.find(h);
  return it == ports_.end() ? nullptr : it->second.get();
}

BOOL PosixOs::Result(DWORD code) {
  if (code == ERROR_SUCCESS) return TRUE;
  lastError_ = code;
  return FALSE;
}

// A serial port is exclusive whatever the share mode asks, as on Windows.
// Only synchronous handles exist here: the link never overlaps.
HANDLE PosixOs::CreateFileA(const char* name, DWORD, DWORD, void*, DWORD creation, DWORD flags,
                            HANDLE) {
  if (!name || creation != OPEN_EXISTING) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  if (flags & FILE_FLAG_OVERLAPPED) {
    lastError_ = ERROR_NOT_SUPPORTED;
    return INVALID_HANDLE_VALUE;
  }
  auto path = names_.Resolve(name);
  if (!path) {
    lastError_ = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  std::unique_ptr<SerialPort> port;
  if (DWORD error = SerialPort::Open(path->string(), port)) {
    lastError_ = error;
    return INVALID_HANDLE_VALUE;
  }
  const HANDLE h = nextHandle_;
  nextHandle_ += 4;
  ports_.emplace(h, std::move(port));
  lastError_ = ERROR_SUCCESS;
  return h;
}

BOOL PosixOs::GetCommState(HANDLE h, DCB* dcb) {
  SerialPort* port = Find(h);
  if (!port) return Result(ERROR_INVALID_HANDLE);
  if (!dcb) return Result(ERROR_INVALID_PARAMETER);
  return Result(port->GetState(*dcb));
}

BOOL PosixOs::SetCommState(HANDLE h, const DCB* dcb) {
  SerialPort* port = Find(h);
  if (!port) return Result(ERROR_INVALID_HANDLE);
  if (!dcb) return Result(ERROR_INVALID_PARAMETER);
  return Result(port->SetState(*dcb));
}

BOOL PosixOs::GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) {
  SerialPort* port = Find(h);
  if (!port) return Result(ERROR_INVALID_HANDLE);
  if (!timeouts) return Result(ERROR_INVALID_PARAMETER);
  *timeouts = port->timeouts;
  return TRUE;
}

BOOL PosixOs::SetCommTimeouts(HANDLE h, const COMMTIMEOUTS* timeouts) {
  SerialPort* port = Find(h);
  if (!port) return Result(ERROR_INVALID_HANDLE);
  if (!timeouts) return Result(ERROR_INVALID_PARAMETER);
  port->timeouts = *timeouts;
  return TRUE;
}

BOOL PosixOs::PurgeComm(HANDLE h, DWORD flags) {
  SerialPort* port = Find(h);
  if (!port) return Result(ERROR_INVALID_HANDLE);
  return Result(port->Purge(flags));
}

BOOL PosixOs::ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read, void* overlapped) {
  SerialPort* port = Find(h);
  if (!port) return Result(ERROR_INVALID_HANDLE);
  if (overlapped || !read || (!buffer && toRead > 0)) return Result(ERROR_INVALID_PARAMETER);
  return Result(port->Read(static_cast<BYTE*>(buffer), toRead, *read));
}

BOOL PosixOs::WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written,
                        void* overlapped) {
  SerialPort* port = Find(h);
  if (!port) return Result(ERROR_INVALID_HANDLE);
  if (overlapped || !written || (!buffer && toWrite > 0))
    return Result(ERROR_INVALID_PARAMETER);
  return Result(port->Write(static_cast<const BYTE*>(buffer), toWrite, *written));
}

BOOL PosixOs::CloseHandle(HANDLE h) {
  auto it = ports_.find(h);
  if (it == ports_.end()) return Result(ERROR_INVALID_HANDLE);
  ports_.erase(it);  // puts the port back as found, unlocks and closes it
  return TRUE;
}

// Milliseconds since boot, wrapping after 49.7 days as on Windows.
DWORD PosixOs::GetTickCount() {
  const timespec now = MonotonicNow();
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}

// An absolute deadline on the monotonic clock: a signal that interrupts the
// sleep neither shortens nor stretches it.
void PosixOs::Sleep(DWORD milliseconds) {
  timespec until = MonotonicNow();
  until.tv_sec += static_cast<time_t>(milliseconds / 1000);
  until.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
  if (until.tv_nsec >= 1000000000L) {
    until.tv_sec += 1;
    until.tv_nsec -= 1000000000L;
  }
  while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

}  // namespace os
