#include "AgeEncryptor.h"

#include <algorithm>
#include <stdexcept>

namespace korvel::age {

AgeEncryptor::AgeEncryptor(std::span<const X25519Recipient> recipients)
    : AgeEncryptor(AgeFileKeys::Fresh(recipients)) {}

AgeEncryptor::AgeEncryptor(AgeFileKeys keys)
    : prefix_(std::move(keys.prefix)), payloadKey_(keys.payloadKey), cipher_(payloadKey_) {
    pending_.reserve(PayloadCipher::kChunkSize);
}

void AgeEncryptor::Write(ByteView plaintext, Bytes& out) {
    if (finished_) throw std::logic_error("age file written after its end");
    PutPrefix(out);
    while (!plaintext.empty()) {
        // A full chunk waits until more plaintext shows it is not the last.
        if (pending_.size() == PayloadCipher::kChunkSize) SealPending(false, out);
        const std::size_t take =
            std::min(plaintext.size(), PayloadCipher::kChunkSize - pending_.size());
        pending_.insert(pending_.end(), plaintext.begin(), plaintext.begin() + take);
        plaintext = plaintext.subspan(take);
    }
}

void AgeEncryptor::Finish(Bytes& out) {
    if (finished_) throw std::logic_error("age file finished twice");
    PutPrefix(out);
    SealPending(true, out);
    finished_ = true;
}

void AgeEncryptor::PutPrefix(Bytes& out) {
    if (prefixGiven_) return;
    out.insert(out.end(), prefix_.begin(), prefix_.end());
    prefixGiven_ = true;
}

void AgeEncryptor::SealPending(bool last, Bytes& out) {
    const std::size_t start = out.size();
    out.resize(start + pending_.size() + kTagSize);
    cipher_.SealChunk(counter_++, last, pending_, std::span(out).subspan(start));
    pending_.clear();
}

}  // namespace korvel::age
