#pragma once

#include <cstdint>
#include <span>

#include "Primitives.h"

struct evp_cipher_ctx_st;

namespace korvel::age {

// A ChaCha20-Poly1305 context of libcrypto, kept for many seals or opens so that each chunk only
// sets its key and nonce. Not shared between threads: each thread has its own.
class AeadContext {
public:
    AeadContext();
    ~AeadContext();
    AeadContext(const AeadContext&) = delete;
    AeadContext& operator=(const AeadContext&) = delete;

    // out holds plaintext.size() + kTagSize bytes: the ciphertext, then the tag.
    void Seal(const Key32& key, std::span<const std::uint8_t, 12> nonce, ByteView plaintext,
              std::span<std::uint8_t> out);
    // out holds sealed.size() - kTagSize bytes; false when the tag does not authenticate, and
    // then out holds nothing to be used.
    bool Open(const Key32& key, std::span<const std::uint8_t, 12> nonce, ByteView sealed,
              std::span<std::uint8_t> out);

private:
    static constexpr int kOpening = 0;
    static constexpr int kSealing = 1;
    void Start(const Key32& key, std::span<const std::uint8_t, 12> nonce, int direction);

    evp_cipher_ctx_st* context_;
    int direction_ = -1;
};

}  // namespace korvel::age
