// The in-process simulator behind the fake serial back end: an os::FakeDevice
// whose far end is a sim::Chargeur, on the fake system's virtual clock.
#pragma once

#include "platform/os/fake/FakeDevice.h"
#include "sim/Chargeur.h"

namespace sim {

class AppareilFake : public os::FakeDevice {
 public:
  explicit AppareilFake(Chargeur& chargeur) : chargeur_(chargeur) {}

  void Receive(std::uint8_t byte, std::uint64_t us) override;
  std::optional<Outgoing> Next() const override;
  void Take() override;
  // From the moment the hang-up fault fired on.
  bool HungUp(std::uint64_t us) const override;
  void Purge() override;

  Chargeur& LeChargeur() { return chargeur_; }

 private:
  Chargeur& chargeur_;
};

}  // namespace sim
