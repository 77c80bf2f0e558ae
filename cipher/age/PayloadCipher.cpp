#include "PayloadCipher.h"

namespace korvel::age {

Key32 PayloadCipher::PayloadKey(const FileKey& fileKey, const PayloadNonce& nonce) {
    return primitives::Hkdf(fileKey, nonce, "payload");
}

std::array<std::uint8_t, 12> PayloadCipher::ChunkNonce(std::uint64_t counter, bool last) {
    std::array<std::uint8_t, 12> nonce{};
    for (int i = 10; i >= 3; --i) {  // bytes 0-2 stay zero: no file has 2^64 chunks
        nonce[i] = static_cast<std::uint8_t>(counter);
        counter >>= 8;
    }
    nonce[11] = last ? 1 : 0;
    return nonce;
}

std::uint64_t PayloadCipher::ChunkCount(std::uint64_t plainSize) {
    return plainSize == 0 ? 1 : (plainSize + kChunkSize - 1) / kChunkSize;
}

std::uint64_t PayloadCipher::PayloadSize(std::uint64_t plainSize) {
    return kNonceSize + plainSize + ChunkCount(plainSize) * kTagSize;
}

void PayloadCipher::SealChunk(std::uint64_t counter, bool last, ByteView plaintext,
                              std::span<std::uint8_t> out) {
    context_.Seal(key_, ChunkNonce(counter, last), plaintext, out);
}

bool PayloadCipher::OpenChunk(std::uint64_t counter, bool last, ByteView sealed,
                              std::span<std::uint8_t> out) {
    return context_.Open(key_, ChunkNonce(counter, last), sealed, out);
}

}  // namespace korvel::age
