#include "platform/os/posix/ErrnoTable.h"

#include <cerrno>

#include <array>

namespace os {

namespace {

struct Row {
  int error;
  DWORD opening;
  DWORD openPort;
};

// errno -> Win32 code, by moment. What the port probing tells apart is 2
// (no such port: its button is disabled) from anything else (the port is
// there but cannot be had now), so every way of "nothing there" gives 2 at
// open, and every way of "someone else has it" gives 5, which is what
// Windows reports for a port in use.
//
//  ENOENT        no device node                                 2 / 2
//  ENXIO, ENODEV no device behind the node; on an open port the
//                device was unplugged under us                   2 / 1167
//  EIO           open of a ttyS with no UART behind it; on an
//                open port a hang-up (cable pulled, pty closed)  2 / 1167
//  ENOTTY        not a terminal at all; on an open port the
//                driver lacks the request                        2 / 50
//  EACCES, EPERM no permission on the node or the request        5 / 5
//  EBUSY         TIOCEXCL held by another opener                 5 / 5
//  EWOULDBLOCK   flock held by another opener (the same value as
//                EAGAIN, which on an open port we wait out with
//                poll and never report)                          5 / 5
//  EINVAL        a request the driver refuses as malformed       87 / 87
//  ENOMEM        out of kernel memory                            8 / 8
//  EBADF         a descriptor we no longer own                   6 / 6
//  anything else                                                 31 / 31
constexpr std::array<Row, 12> kTable{{
    {ENOENT, ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
    {ENXIO, ERROR_FILE_NOT_FOUND, ERROR_DEVICE_NOT_CONNECTED},
    {ENODEV, ERROR_FILE_NOT_FOUND, ERROR_DEVICE_NOT_CONNECTED},
    {EIO, ERROR_FILE_NOT_FOUND, ERROR_DEVICE_NOT_CONNECTED},
    {ENOTTY, ERROR_FILE_NOT_FOUND, ERROR_NOT_SUPPORTED},
    {EACCES, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {EBUSY, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {EWOULDBLOCK, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {EINVAL, ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY, ERROR_NOT_ENOUGH_MEMORY},
    {EBADF, ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
}};

}  // namespace

DWORD Win32Error(int error, Moment moment) {
  for (const Row& row : kTable)
    if (row.error == error) return moment == Moment::Opening ? row.opening : row.openPort;
  return ERROR_GEN_FAILURE;
}

}  // namespace os
