// The update as the wizard's sequence runs it, through CK02 alone: the
// device checked, its boot loader unlocked, every program word of the
// built-in image written, version 1.2 stamped. Shared by the pty tests and
// the benchmark, so that both measure the same exchange.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "link/Classek02.h"

// The words the built-in image holds for program memory, address -> value,
// as the row decoder reads them.
std::map<std::uint32_t, std::uint16_t> MotsDeLImage();

// Called after each acknowledged program word with the count so far.
using ApresMot = std::function<void(std::int32_t motsEcrits)>;

// Returns the first non-zero code, or 0 once the version is stamped.
std::int32_t MettreAJour(CK02& liaison, const ApresMot& apresMot = {});
