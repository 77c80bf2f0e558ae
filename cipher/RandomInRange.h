#pragma once

#include <cstdint>

namespace korvel {

// A pseudo-random integer from low to high: floor(r × (high − low + 1) + low) with a
// single-precision r in [0, 1). The generator is seeded once per process from the system's
// entropy source.
std::int32_t RandomInRange(std::int32_t low, std::int32_t high);

}  // namespace korvel
