#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace korvel::age {

using Key32 = std::array<std::uint8_t, 32>;
using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

constexpr std::size_t kTagSize = 16;  // Poly1305's

// The primitives of the age format, each one call into OpenSSL's libcrypto. A failure of the
// library itself (out of memory, a broken provider) throws std::runtime_error.
namespace primitives {

ByteView View(std::string_view text);

// HKDF-SHA-256 with a 32-byte output; an empty salt stands for 32 zero bytes.
Key32 Hkdf(ByteView ikm, ByteView salt, std::string_view info);
Key32 HmacSha256(ByteView key, ByteView data);
Key32 Sha256(ByteView data);
Key32 Scrypt(std::string_view password, ByteView salt, std::uint64_t n, std::uint32_t r,
             std::uint32_t p);
void RandomBytes(std::span<std::uint8_t> out);

// Half the cost of an exchange: libcrypto computes it whenever it is given a secret key alone.
Key32 X25519PublicKey(const Key32& secret);
// The shared secret of a secret key, given with its public key, and a peer's public key; nullopt
// when it would be all zero (a low-order point).
std::optional<Key32> X25519SharedSecret(const Key32& secret, const Key32& ownPublic,
                                        const Key32& peerPublic);

// ChaCha20-Poly1305 with a 12-byte nonce and no associated data: ciphertext || tag.
Bytes Seal(const Key32& key, std::span<const std::uint8_t, 12> nonce, ByteView plaintext);
std::optional<Bytes> Open(const Key32& key, std::span<const std::uint8_t, 12> nonce,
                          ByteView sealed);

// Equal without a timing that depends on where they differ.
bool ConstantTimeEqual(ByteView a, ByteView b);

}  // namespace primitives
}  // namespace korvel::age
