// The DCB the link applies, 9600 8E1 without flow control, DTR off, RTS on,
// as the system layer's tests build it to exercise a back end without the link.
#pragma once

#include "platform/os/Win32.h"

inline os::DCB DcbLiaison() {
  os::DCB d{};
  d.DCBlength = sizeof(os::DCB);
  d.BaudRate = 9600;
  d.fBinary = 1;
  d.fParity = 1;
  d.fDtrControl = os::DTR_CONTROL_DISABLE;
  d.fRtsControl = os::RTS_CONTROL_ENABLE;
  d.XonLim = 100;
  d.XoffLim = 100;
  d.ByteSize = 8;
  d.Parity = os::EVENPARITY;
  d.StopBits = os::ONESTOPBIT;
  d.XonChar = 0x01;
  d.XoffChar = 0x02;
  d.ErrorChar = 0x04;
  d.EvtChar = 0x03;
  return d;
}
