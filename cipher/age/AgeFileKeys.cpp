#include "AgeFileKeys.h"

#include <openssl/crypto.h>

#include <stdexcept>

#include "FileKey.h"
#include "PayloadCipher.h"

namespace korvel::age {

AgeFileKeys AgeFileKeys::Fresh(std::span<const X25519Recipient> recipients) {
    if (recipients.empty()) throw std::invalid_argument("an age file needs a recipient");
    FileKey fileKey;
    primitives::RandomBytes(fileKey);
    std::vector<Stanza> stanzas;
    for (const X25519Recipient& recipient : recipients) stanzas.push_back(recipient.Wrap(fileKey));
    const AgeHeader header(std::move(stanzas), primitives::Hkdf(fileKey, {}, "header"));
    PayloadCipher::PayloadNonce nonce;
    primitives::RandomBytes(nonce);
    AgeFileKeys keys(header.Encode(), PayloadCipher::PayloadKey(fileKey, nonce));
    keys.prefix.insert(keys.prefix.end(), nonce.begin(), nonce.end());
    OPENSSL_cleanse(fileKey.data(), fileKey.size());
    return keys;
}

AgeFileKeys::AgeFileKeys(Bytes prefix, const Key32& payloadKey)
    : prefix(std::move(prefix)), payloadKey(payloadKey) {}

AgeFileKeys::~AgeFileKeys() { OPENSSL_cleanse(payloadKey.data(), payloadKey.size()); }

}  // namespace korvel::age
