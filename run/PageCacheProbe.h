#pragma once

#include <cstdint>

namespace korvel {

// Whether the first length bytes of an open file look to be in memory already, in the system's
// file cache, so that reading them waits for no disk. Judged from a few stretches spread over the
// file, the first and the last among them: every page of each has to be there. False where the
// system cannot tell.
bool LooksInMemory(int descriptor, std::uint64_t length);

}  // namespace korvel
