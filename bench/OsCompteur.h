// A system layer that passes every call through to another and counts the
// bytes each way, so a benchmark knows what crossed the line without
// trusting the far end's own count. It also adds up where the host's time
// goes: inside WriteFile, inside ReadFile (waiting for the device), and
// between a read's return and the next write (the host's own turnaround).
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/os/Os.h"

class OsCompteur : public os::Os {
 public:
  explicit OsCompteur(os::Os& reel) : reel_(reel) {}

  std::uint64_t OctetsEmis() const { return emis_; }
  std::uint64_t OctetsRecus() const { return recus_; }
  // Nanoseconds spent in each place.
  std::uint64_t NsEcriture() const { return nsEcriture_; }
  std::uint64_t NsLecture() const { return nsLecture_; }
  std::uint64_t NsRetournement() const { return nsRetournement_; }
  // Reads that follow a write: each is the host waiting on the device, one
  // round trip of the half-duplex line.
  std::uint64_t AllersRetours() const { return allersRetours_; }

  os::HANDLE CreateFileA(const char* name, os::DWORD access, os::DWORD share, void* security,
                         os::DWORD creation, os::DWORD flags, os::HANDLE templateFile) override {
    return reel_.CreateFileA(name, access, share, security, creation, flags, templateFile);
  }
  os::BOOL GetCommState(os::HANDLE h, os::DCB* dcb) override { return reel_.GetCommState(h, dcb); }
  os::BOOL SetCommState(os::HANDLE h, const os::DCB* dcb) override {
    return reel_.SetCommState(h, dcb);
  }
  os::BOOL GetCommTimeouts(os::HANDLE h, os::COMMTIMEOUTS* t) override {
    return reel_.GetCommTimeouts(h, t);
  }
  os::BOOL SetCommTimeouts(os::HANDLE h, const os::COMMTIMEOUTS* t) override {
    return reel_.SetCommTimeouts(h, t);
  }
  os::BOOL PurgeComm(os::HANDLE h, os::DWORD flags) override { return reel_.PurgeComm(h, flags); }
  os::BOOL ReadFile(os::HANDLE h, void* buffer, os::DWORD toRead, os::DWORD* read,
                    void* overlapped) override {
    if (!lu_) ++allersRetours_;
    const Horloge::time_point debut = Horloge::now();
    const os::BOOL ok = reel_.ReadFile(h, buffer, toRead, read, overlapped);
    finLecture_ = Horloge::now();
    nsLecture_ += Ns(finLecture_ - debut);
    lu_ = true;
    if (ok && read) recus_ += *read;
    return ok;
  }
  os::BOOL WriteFile(os::HANDLE h, const void* buffer, os::DWORD toWrite, os::DWORD* written,
                     void* overlapped) override {
    const Horloge::time_point debut = Horloge::now();
    if (lu_) nsRetournement_ += Ns(debut - finLecture_);
    lu_ = false;
    const os::BOOL ok = reel_.WriteFile(h, buffer, toWrite, written, overlapped);
    nsEcriture_ += Ns(Horloge::now() - debut);
    if (ok && written) emis_ += *written;
    return ok;
  }
  os::BOOL CloseHandle(os::HANDLE h) override { return reel_.CloseHandle(h); }
  os::DWORD GetLastError() override { return reel_.GetLastError(); }
  os::DWORD GetTickCount() override { return reel_.GetTickCount(); }
  void Sleep(os::DWORD milliseconds) override { reel_.Sleep(milliseconds); }

 private:
  using Horloge = std::chrono::steady_clock;
  static std::uint64_t Ns(Horloge::duration d) {
    return static_cast<std::uint64_t>(std::chrono::nanoseconds(d).count());
  }

  os::Os& reel_;
  std::uint64_t emis_ = 0;
  std::uint64_t recus_ = 0;
  std::uint64_t nsEcriture_ = 0;
  std::uint64_t nsLecture_ = 0;
  std::uint64_t nsRetournement_ = 0;
  std::uint64_t allersRetours_ = 0;
  Horloge::time_point finLecture_{};
  bool lu_ = false;  // the last call was a read
};
