#pragma once

#include <span>

#include "AgeFileKeys.h"
#include "AgeHeader.h"
#include "FileKey.h"
#include "PayloadCipher.h"
#include "X25519Recipient.h"

namespace korvel::age {

// Writes one age file for a set of recipients, under a fresh file key and payload nonce.
//
// Streaming: Write takes plaintext in blocks of any size and appends the ciphertext of every
// chunk that is known not to be the last; Finish appends the final chunk. The header and payload
// nonce come first in the output of the first call.
//
// In parallel: Prefix() is what the file starts with, and chunk i (of PayloadCipher::ChunkCount)
// is sealed with a PayloadCipher of PayloadKey(); Write and Finish are then not used.
class AgeEncryptor {
public:
    explicit AgeEncryptor(std::span<const X25519Recipient> recipients);
    explicit AgeEncryptor(AgeFileKeys keys);

    const Bytes& Prefix() const { return prefix_; }
    const Key32& PayloadKey() const { return payloadKey_; }

    void Write(ByteView plaintext, Bytes& out);
    void Finish(Bytes& out);

private:
    void PutPrefix(Bytes& out);
    void SealPending(bool last, Bytes& out);

    Bytes prefix_;
    Key32 payloadKey_;
    PayloadCipher cipher_;
    Bytes pending_;  // plaintext of the chunk not yet sealed: at most one chunk
    std::uint64_t counter_ = 0;
    bool prefixGiven_ = false;
    bool finished_ = false;
};

}  // namespace korvel::age
