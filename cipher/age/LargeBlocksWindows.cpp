#include "LargeBlocks.h"

namespace korvel::age {

// Large pages on Windows need a privilege that users do not have; libcrypto allocates as usual.
bool InstallLargeBlocks() { return false; }

}  // namespace korvel::age
