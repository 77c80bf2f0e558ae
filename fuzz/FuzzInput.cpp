#include "FuzzInput.h"

namespace korvel {

std::uint8_t FuzzInput::TakeByte() {
    if (rest_.empty()) return 0;
    const std::uint8_t byte = rest_.front();
    rest_ = rest_.subspan(1);
    return byte;
}

}  // namespace korvel
