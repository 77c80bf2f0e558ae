#pragma once

#include <array>
#include <cstdint>

namespace korvel::age {

// The 16 random bytes each age file is encrypted under; never used for two files.
using FileKey = std::array<std::uint8_t, 16>;

}  // namespace korvel::age
