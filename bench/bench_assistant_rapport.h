// What the benchmark of the whole update takes from the simulator's report:
// the instants that bound the update on the wire, once the report shows that
// the device got all it should have. A run that went wrong gives no figure.
#pragma once

#include <cstdint>

#include "tests/integration/LecteurJson.h"

struct InstantsDuFil {
  std::int64_t premierAppelUs = 0;  // the first poll's last bit through (CLOCK_MONOTONIC)
  std::int64_t lancementUs = 0;     // the start command's last bit through
};

// Throws std::runtime_error naming what is wrong when the device's program
// memory differs from the image, its version is not 1.2, the host broke a
// rule of the protocol or the start command did not come exactly once.
InstantsDuFil LireInstantsDuFil(const Json& rapport);
