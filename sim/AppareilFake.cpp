#include "sim/AppareilFake.h"

namespace sim {

void AppareilFake::Receive(std::uint8_t byte, std::uint64_t us) { chargeur_.Recevoir(byte, us); }

std::optional<os::FakeDevice::Outgoing> AppareilFake::Next() const {
  auto emission = chargeur_.Prochain();
  if (!emission) return std::nullopt;
  return Outgoing{emission->octet, emission->pretUs};
}

void AppareilFake::Take() { chargeur_.Retirer(); }

bool AppareilFake::HungUp(std::uint64_t us) const {
  return chargeur_.Raccroche() && us >= chargeur_.RaccrocheUs();
}

void AppareilFake::Purge() { chargeur_.Purger(); }

}  // namespace sim
