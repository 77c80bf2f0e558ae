#include "AgeFileKeys.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "FileKey.h"
#include "PayloadCipher.h"

namespace korvel::age {

AgeFileKeys AgeFileKeys::Fresh(std::span<const X25519Recipient> recipients) {
    if (recipients.empty()) throw std::invalid_argument("an age file needs a recipient");
    return Fresh([recipients](const FileKey& fileKey) {
        std::vector<Stanza> stanzas;
        for (const X25519Recipient& recipient : recipients) {
            stanzas.push_back(recipient.Wrap(fileKey));
        }
        return stanzas;
    });
}

AgeFileKeys AgeFileKeys::Fresh(const X25519Recipient& recipient, const X25519KeyPair& ephemeral) {
    return Fresh([&](const FileKey& fileKey) {
        return std::vector<Stanza>{recipient.Wrap(fileKey, ephemeral)};
    });
}

AgeFileKeys AgeFileKeys::Fresh(const Wrapping& stanzasFor) {
    // The file key and the payload nonce from one call: each call into the generator costs as
    // much as a derivation.
    std::array<std::uint8_t, sizeof(FileKey) + PayloadCipher::kNonceSize> randomBytes;
    primitives::RandomBytes(randomBytes);
    FileKey fileKey;
    PayloadCipher::PayloadNonce nonce;
    std::copy_n(randomBytes.begin(), fileKey.size(), fileKey.begin());
    std::copy_n(randomBytes.begin() + fileKey.size(), nonce.size(), nonce.begin());
    OPENSSL_cleanse(randomBytes.data(), randomBytes.size());
    const AgeHeader header(stanzasFor(fileKey), primitives::Hkdf(fileKey, {}, "header"));
    AgeFileKeys keys(header.Encode(), PayloadCipher::PayloadKey(fileKey, nonce));
    keys.prefix.insert(keys.prefix.end(), nonce.begin(), nonce.end());
    OPENSSL_cleanse(fileKey.data(), fileKey.size());
    return keys;
}

AgeFileKeys::AgeFileKeys(Bytes prefix, const Key32& payloadKey)
    : prefix(std::move(prefix)), payloadKey(payloadKey) {}

AgeFileKeys::~AgeFileKeys() { OPENSSL_cleanse(payloadKey.data(), payloadKey.size()); }

}  // namespace korvel::age
