// The fake system of the tests: serial ports whose far end is a FakeDevice,
// on a virtual clock shared by GetTickCount, Sleep and the read time-outs.
// It records every call and every byte with its virtual time, so that a test
// reads like the protocol: EXPECT_EQ(fake.Wire(), "TX 80 RX 81").
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/os/Os.h"
#include "platform/os/fake/FakeDevice.h"
#include "platform/os/fake/VirtualClock.h"

namespace os {

class FakeOs : public Os {
 public:
  struct Event {
    std::uint64_t us;
    std::string text;  // "TX 80", "RX 81" or a call such as "SetCommState"
    bool wire;
  };

  // 11 bits a character at 9600 baud.
  static constexpr std::uint64_t kCharTimeUs = 1146;

  FakeOs();

  // The ports of this fake machine. A name not plugged is absent (error 2).
  void Plug(const std::string& name, FakeDevice& device);
  void Unplug(const std::string& name);
  // The port exists but another program holds it.
  void Hold(const std::string& name, bool held = true);
  // The settings a port has before the program opens it.
  void SetFound(const std::string& name, const DCB& dcb, const COMMTIMEOUTS& timeouts);
  DCB CurrentDcb(const std::string& name) const;
  COMMTIMEOUTS CurrentTimeouts(const std::string& name) const;
  bool IsOpen(const std::string& name) const;
  int OpenCount(const std::string& name) const;
  // The nth next call of `call` (by name, e.g. "SetCommState") fails with `code`.
  void FailCall(const std::string& call, DWORD code, int nth = 1);
  void SetCharTimeUs(std::uint64_t us) { charTimeUs_ = us; }

  VirtualClock& Clock() { return clock_; }
  const std::vector<Event>& Events() const { return events_; }
  std::string Wire() const;   // the bytes only: "TX 80 RX 81"
  std::string Calls() const;  // the calls only: "CreateFileA(\\.\COM1) GetCommState ..."
  void ClearTrace() { events_.clear(); }

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
  struct Port {
    FakeDevice* device = nullptr;
    bool held = false;
    bool open = false;
    int opens = 0;
    DCB dcb{};
    COMMTIMEOUTS timeouts{};
    std::uint64_t txFreeUs = 0;  // when the line out is free for the next byte
  };

  void Record(std::string text, bool wire = false);
  // Records the call and tells whether an injected failure hits it.
  bool Injected(const std::string& call);
  BOOL Fail(DWORD code);
  Port* Find(HANDLE h);

  VirtualClock clock_;
  std::map<std::string, Port> ports_;
  std::map<HANDLE, std::string> handles_;
  std::map<std::string, std::vector<std::pair<int, DWORD>>> failures_;
  std::vector<Event> events_;
  HANDLE nextHandle_ = 100;
  DWORD lastError_ = 0;
  std::uint64_t charTimeUs_ = kCharTimeUs;
};

}  // namespace os
