// The far end of a fake serial port: a scripted device or the in-process
// boot-loader simulator.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace os {

class FakeDevice {
 public:
  struct Outgoing {
    std::uint8_t byte;
    std::uint64_t readyUs;  // when the device starts sending it
  };

  virtual ~FakeDevice() = default;
  // One byte from the host, wholly received by the device at `us`.
  virtual void Receive(std::uint8_t byte, std::uint64_t us) = 0;
  // The next byte the device has to send, if any.
  virtual std::optional<Outgoing> Next() const = 0;
  // The host has taken the byte that Next() gave.
  virtual void Take() = 0;
  // The line is gone (cable pulled, device dead) from `us` on.
  virtual bool HungUp(std::uint64_t us) const = 0;
  // The port was purged: bytes not yet taken are dropped.
  virtual void Purge() = 0;
};

// A device whose answers a test writes: answers queued ahead, which the
// device sends once the host has sent its next byte (so that a purge before a
// command does not drop them), bytes sent at once, or a reply computed from
// each byte the host sends.
class ScriptedDevice : public FakeDevice {
 public:
  using Responder = std::function<std::vector<std::uint8_t>(std::uint8_t)>;

  void Queue(std::vector<std::uint8_t> bytes) {
    for (auto b : bytes) script_.push_back(b);
  }
  void SendNow(std::vector<std::uint8_t> bytes) {
    for (auto b : bytes) pending_.push_back(b);
  }
  void OnReceive(Responder responder) { responder_ = std::move(responder); }
  void HangUpAt(std::uint64_t us) { hangUpUs_ = us; }
  const std::vector<std::uint8_t>& Received() const { return received_; }

  void Receive(std::uint8_t byte, std::uint64_t us) override {
    received_.push_back(byte);
    lastUs_ = us;
    pending_.insert(pending_.end(), script_.begin(), script_.end());
    script_.clear();
    if (responder_) SendNow(responder_(byte));
  }
  std::optional<Outgoing> Next() const override {
    if (pending_.empty()) return std::nullopt;
    return Outgoing{pending_.front(), lastUs_};
  }
  void Take() override { pending_.pop_front(); }
  bool HungUp(std::uint64_t us) const override { return hangUpUs_ && us >= *hangUpUs_; }
  void Purge() override { pending_.clear(); }

 private:
  std::deque<std::uint8_t> pending_;  // sent, waiting for the host to read them
  std::deque<std::uint8_t> script_;   // to be sent after the host's next byte
  std::vector<std::uint8_t> received_;
  Responder responder_;
  std::uint64_t lastUs_ = 0;
  std::optional<std::uint64_t> hangUpUs_;
};

}  // namespace os
