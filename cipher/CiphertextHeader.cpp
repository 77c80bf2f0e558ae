#include "CiphertextHeader.h"

#include "RandomInRange.h"

namespace korvel {

CiphertextHeader MakeCiphertextHeader() {
    CiphertextHeader header;
    for (std::uint8_t& byte : header) byte = static_cast<std::uint8_t>(RandomInRange(0, 255));
    return header;
}

// A ciphertext of the header's length or less decrypts to nothing.
std::uint64_t PlaintextLengthOf(std::uint64_t ciphertextLength) {
    return ciphertextLength > kHeaderSize ? ciphertextLength - kHeaderSize : 0;
}

}  // namespace korvel
