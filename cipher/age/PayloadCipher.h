#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "AeadContext.h"
#include "FileKey.h"
#include "Primitives.h"

namespace korvel::age {

// Seals and opens the chunks of an age payload. Chunks are independent: chunk i needs only the
// payload key, i and whether it is the last, so several threads may each hold a PayloadCipher
// of the same key and work on different chunks at once.
class PayloadCipher {
public:
    static constexpr std::size_t kNonceSize = 16;
    static constexpr std::size_t kChunkSize = std::size_t{64} << 10;
    static constexpr std::size_t kSealedChunkSize = kChunkSize + kTagSize;
    using PayloadNonce = std::array<std::uint8_t, kNonceSize>;

    static Key32 PayloadKey(const FileKey& fileKey, const PayloadNonce& nonce);
    // The nonce of chunk number counter: 11 bytes of big-endian counter, then the last flag.
    static std::array<std::uint8_t, 12> ChunkNonce(std::uint64_t counter, bool last);
    // Payload bytes (nonce and sealed chunks) for a plaintext of plainSize bytes.
    static std::uint64_t PayloadSize(std::uint64_t plainSize);
    // Chunks of a plaintext of plainSize bytes: at least one, as an empty plaintext has one.
    static std::uint64_t ChunkCount(std::uint64_t plainSize);

    explicit PayloadCipher(const Key32& payloadKey) : key_(payloadKey) {}

    // out holds plaintext.size() + kTagSize bytes.
    void SealChunk(std::uint64_t counter, bool last, ByteView plaintext,
                   std::span<std::uint8_t> out);
    // out holds sealed.size() - kTagSize bytes; false when the chunk does not authenticate as
    // chunk number counter with that last flag.
    bool OpenChunk(std::uint64_t counter, bool last, ByteView sealed, std::span<std::uint8_t> out);

private:
    Key32 key_;
    AeadContext context_;
};

}  // namespace korvel::age
