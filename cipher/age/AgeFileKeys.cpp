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
    std::vector<X25519KeyPair> ephemerals;
    for (std::size_t made = 0; made < recipients.size(); ++made) {
        ephemerals.push_back(X25519KeyPair::Generate());
    }
    return Fresh(recipients, ephemerals);
}

AgeFileKeys AgeFileKeys::Fresh(const X25519Recipient& recipient, const X25519KeyPair& ephemeral) {
    return Fresh(std::span(&recipient, 1), std::span(&ephemeral, 1));
}

AgeFileKeys AgeFileKeys::Fresh(std::span<const X25519Recipient> recipients,
                               std::span<const X25519KeyPair> ephemerals) {
    // The file key and the payload nonce from one call: each call into the generator costs as
    // much as a derivation.
    std::array<std::uint8_t, sizeof(FileKey) + PayloadCipher::kNonceSize> randomBytes;
    primitives::RandomBytes(randomBytes);
    FileKey fileKey;
    PayloadCipher::PayloadNonce nonce;
    std::copy_n(randomBytes.begin(), fileKey.size(), fileKey.begin());
    std::copy_n(randomBytes.begin() + fileKey.size(), nonce.size(), nonce.begin());
    OPENSSL_cleanse(randomBytes.data(), randomBytes.size());
    std::vector<Stanza> stanzas;
    for (std::size_t i = 0; i < recipients.size(); ++i) {
        stanzas.push_back(recipients[i].Wrap(fileKey, ephemerals[i]));
    }
    const AgeHeader header(std::move(stanzas), primitives::Hkdf(fileKey, {}, "header"));
    AgeFileKeys keys(header.Encode(), PayloadCipher::PayloadKey(fileKey, nonce));
    keys.prefix.insert(keys.prefix.end(), nonce.begin(), nonce.end());
    OPENSSL_cleanse(fileKey.data(), fileKey.size());
    return keys;
}

AgeFileKeys::AgeFileKeys(Bytes prefix, const Key32& payloadKey)
    : prefix(std::move(prefix)), payloadKey(payloadKey) {}

AgeFileKeys::~AgeFileKeys() { OPENSSL_cleanse(payloadKey.data(), payloadKey.size()); }

}  // namespace korvel::age
