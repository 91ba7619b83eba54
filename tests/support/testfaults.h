#pragma once
// The emulated device falling silent, as many tests make it.

#include "emu/faults.h"

#include <cstdint>
#include <limits>

// No answer to the device's requests numbered from..to (counted from 1, inclusive).
inline emu::Fault SilentFrom(uint64_t from = 1,
                             uint64_t to = std::numeric_limits<uint64_t>::max()) {
    emu::Fault f;
    f.kind = emu::FaultKind::Silent;
    f.from = from;
    f.to = to;
    return f;
}
