#include "platform/os/fake/FakeOs.h"

#include <algorithm>
#include <cstdio>

namespace os {

namespace {

// What a port is set to before we touch it: a typical 19200 8N1 with DTR on.
DCB FoundDcb() {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = 19200;
  dcb.fBinary = 1;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  return dcb;
}

// The first moment in (from, to] at which the device is hung up, knowing it
// is by `to`: hang-ups do not heal, so a bisection finds it.
std::uint64_t HangUpTime(const FakeDevice& device, std::uint64_t from, std::uint64_t to) {
  while (to - from > 1) {
    const std::uint64_t middle = from + (to - from) / 2;
    if (device.HungUp(middle)) {
      to = middle;
    } else {
      from = middle;
    }
  }
  return to;
}

std::string Hex(std::uint8_t b) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", b);
  return text;
}

}  // namespace

FakeOs::FakeOs() = default;

void FakeOs::Plug(const std::string& name, FakeDevice& device) {
  Port& port = ports_[name];
  port.device = &device;
  if (port.opens == 0 && port.dcb.DCBlength == 0) port.dcb = FoundDcb();
}

void FakeOs::Unplug(const std::string& name) { ports_.erase(name); }

void FakeOs::Hold(const std::string& name, bool held) { ports_.at(name).held = held; }

void FakeOs::SetFound(const std::string& name, const DCB& dcb, const COMMTIMEOUTS& timeouts) {
  ports_.at(name).dcb = dcb;
  ports_.at(name).timeouts = timeouts;
}

DCB FakeOs::CurrentDcb(const std::string& name) const { return ports_.at(name).dcb; }

COMMTIMEOUTS FakeOs::CurrentTimeouts(const std::string& name) const {
  return ports_.at(name).timeouts;
}

bool FakeOs::IsOpen(const std::string& name) const {
  auto it = ports_.find(name);
  return it != ports_.end() && it->second.open;
}

int FakeOs::OpenCount(const std::string& name) const {
  auto it = ports_.find(name);
  return it == ports_.end() ? 0 : it->second.opens;
}

void FakeOs::FailCall(const std::string& call, DWORD code, int nth) {
  failures_[call].push_back({nth, code});
}

std::string FakeOs::Wire() const {
  std::string text;
  for (const Event& e : events_) {
    if (!e.wire) continue;
    if (!text.empty()) text += ' ';
    text += e.text;
  }
  return text;
}

std::string FakeOs::Calls() const {
  std::string text;
  for (const Event& e : events_) {
    if (e.wire) continue;
    if (!text.empty()) text += ' ';
    text += e.text;
  }
  return text;
}

void FakeOs::Record(std::string text, bool wire) {
  events_.push_back({clock_.NowUs(), std::move(text), wire});
}

bool FakeOs::Injected(const std::string& call) {
  auto it = failures_.find(call);
  if (it == failures_.end()) return false;
  bool hit = false;
  for (auto& [nth, code] : it->second) {
    if (nth > 0 && --nth == 0) {
      lastError_ = code;
      hit = true;
    }
  }
  return hit;
}

BOOL FakeOs::Fail(DWORD code) {
  lastError_ = code;
  return FALSE;
}

// The port of an open handle; none, with the error set, for a handle never
// opened or closed since (6), or one whose port was unplugged meanwhile (1167).
FakeOs::Port* FakeOs::Find(HANDLE h) {
  auto it = handles_.find(h);
  if (it == handles_.end()) {
    lastError_ = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  auto port = ports_.find(it->second);
  if (port == ports_.end()) {
    lastError_ = ERROR_DEVICE_NOT_CONNECTED;
    return nullptr;
  }
  return &port->second;
}

HANDLE FakeOs::CreateFileA(const char* name, DWORD access, DWORD share, void*, DWORD creation,
                           DWORD flags, HANDLE) {
  Record(std::string("CreateFileA(") + name + ")");
  if (Injected("CreateFileA")) return INVALID_HANDLE_VALUE;
  auto it = ports_.find(name);
  if (it == ports_.end()) {
    lastError_ = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  Port& port = it->second;
  if (access != (GENERIC_READ | GENERIC_WRITE) || creation != OPEN_EXISTING || flags != 0) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  // A serial port is exclusive on Windows whatever the share mode asks.
  if (port.held || port.open || share != 0) {
    lastError_ = ERROR_ACCESS_DENIED;
    return INVALID_HANDLE_VALUE;
  }
  port.open = true;
  ++port.opens;
  HANDLE h = nextHandle_++;
  handles_[h] = name;
  lastError_ = 0;
  return h;
}

BOOL FakeOs::GetCommState(HANDLE h, DCB* dcb) {
  Record("GetCommState");
  if (Injected("GetCommState")) return FALSE;
  Port* port = Find(h);
  if (!port) return FALSE;
  *dcb = port->dcb;
  return TRUE;
}

BOOL FakeOs::SetCommState(HANDLE h, const DCB* dcb) {
  Record("SetCommState");
  if (Injected("SetCommState")) return FALSE;
  Port* port = Find(h);
  if (!port) return FALSE;
  // Win32 refuses a structure it cannot make sense of, zeros included.
  if (dcb->DCBlength != sizeof(DCB) || dcb->BaudRate == 0 || dcb->ByteSize < 5 ||
      dcb->ByteSize > 8)
    return Fail(ERROR_INVALID_PARAMETER);
  port->dcb = *dcb;
  return TRUE;
}

BOOL FakeOs::GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) {
  Record("GetCommTimeouts");
  if (Injected("GetCommTimeouts")) return FALSE;
  Port* port = Find(h);
  if (!port) return FALSE;
  *timeouts = port->timeouts;
  return TRUE;
}

BOOL FakeOs::SetCommTimeouts(HANDLE h, const COMMTIMEOUTS* timeouts) {
  Record("SetCommTimeouts");
  if (Injected("SetCommTimeouts")) return FALSE;
  Port* port = Find(h);
  if (!port) return FALSE;
  port->timeouts = *timeouts;
  return TRUE;
}

BOOL FakeOs::PurgeComm(HANDLE h, DWORD flags) {
  Record("PurgeComm(" + Hex(static_cast<std::uint8_t>(flags)) + ")");
  if (Injected("PurgeComm")) return FALSE;
  Port* port = Find(h);
  if (!port) return FALSE;
  if (flags & PURGE_RXCLEAR) port->device->Purge();
  return TRUE;
}

BOOL FakeOs::ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read, void*) {
  if (Injected("ReadFile")) return FALSE;
  Port* port = Find(h);
  if (!port) return FALSE;
  *read = 0;
  const COMMTIMEOUTS& t = port->timeouts;
  const std::uint64_t deadline =
      clock_.NowUs() +
      1000ull * (t.ReadTotalTimeoutConstant + std::uint64_t{t.ReadTotalTimeoutMultiplier} * toRead);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  while (*read < toRead) {
    if (port->device->HungUp(clock_.NowUs())) return Fail(ERROR_DEVICE_NOT_CONNECTED);
    auto next = port->device->Next();
    const std::uint64_t arrival = next ? next->readyUs + charTimeUs_ : 0;
    if (!next || arrival > deadline) {
      // A line that goes dead while the read waits fails it at that moment,
      // as a real port's hang-up does, not at the end of the time-out.
      if (port->device->HungUp(deadline)) {
        clock_.AdvanceTo(HangUpTime(*port->device, clock_.NowUs(), deadline));
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
      }
      clock_.AdvanceTo(deadline);
      break;
    }
    clock_.AdvanceTo(arrival);
    port->device->Take();
    bytes[(*read)++] = next->byte;
    Record("RX " + Hex(next->byte), true);
  }
  return TRUE;
}

BOOL FakeOs::WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written, void*) {
  if (Injected("WriteFile")) return FALSE;
  Port* port = Find(h);
  if (!port) return FALSE;
  *written = 0;
  if (port->device->HungUp(clock_.NowUs())) return Fail(ERROR_DEVICE_NOT_CONNECTED);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  for (DWORD i = 0; i < toWrite; ++i) {
    // The driver buffers the byte; it reaches the device one character time
    // after the line is free.
    const std::uint64_t start = std::max(clock_.NowUs(), port->txFreeUs);
    port->txFreeUs = start + charTimeUs_;
    Record("TX " + Hex(bytes[i]), true);
    port->device->Receive(bytes[i], port->txFreeUs);
    ++*written;
  }
  return TRUE;
}

BOOL FakeOs::CloseHandle(HANDLE h) {
  Record("CloseHandle");
  if (Injected("CloseHandle")) return FALSE;
  auto it = handles_.find(h);
  if (it == handles_.end()) return Fail(ERROR_INVALID_HANDLE);
  auto port = ports_.find(it->second);
  if (port != ports_.end()) port->second.open = false;
  handles_.erase(it);
  return TRUE;
}

DWORD FakeOs::GetTickCount() { return clock_.Ticks(); }

void FakeOs::Sleep(DWORD milliseconds) {
  Record("Sleep(" + std::to_string(milliseconds) + ")");
  clock_.Advance(1000ull * milliseconds);
}

}  // namespace os
