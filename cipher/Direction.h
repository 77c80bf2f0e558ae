#pragma once

namespace korvel {

enum class Direction { Encrypt, Decrypt };

}  // namespace korvel
