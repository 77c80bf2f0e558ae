#pragma once

#include <array>
#include <cstdint>

namespace korvel {

// A ciphertext is its plaintext's length plus this header: random bytes that take no part in the
// keystream and are skipped on decryption. There is no signature, length or checksum.
inline constexpr std::uint64_t kHeaderSize = 10;

using CiphertextHeader = std::array<std::uint8_t, kHeaderSize>;

// Fresh random header bytes for one encryption.
CiphertextHeader MakeCiphertextHeader();

// The length of the plaintext a ciphertext of this length decrypts to.
std::uint64_t PlaintextLengthOf(std::uint64_t ciphertextLength);

}  // namespace korvel
