#pragma once

#include <span>

#include "AgeHeader.h"
#include "X25519Recipient.h"

namespace korvel::age {

// What one age file is written under: its first bytes (the header, whose stanzas wrap a fresh
// file key, and a fresh payload nonce) and the key its payload is sealed with. Nothing in it
// depends on the file's contents, so a set can make them ahead.
struct AgeFileKeys {
    static AgeFileKeys Fresh(std::span<const X25519Recipient> recipients);
    // For one recipient, its stanza made with an ephemeral share made ahead.
    static AgeFileKeys Fresh(const X25519Recipient& recipient, const X25519KeyPair& ephemeral);

    AgeFileKeys(Bytes prefix, const Key32& payloadKey);
    AgeFileKeys(AgeFileKeys&&) = default;
    AgeFileKeys& operator=(AgeFileKeys&&) = default;
    ~AgeFileKeys();

    Bytes prefix;
    Key32 payloadKey;

private:
    // Each recipient's stanza under the ephemeral key pair of the same place.
    static AgeFileKeys Fresh(std::span<const X25519Recipient> recipients,
                             std::span<const X25519KeyPair> ephemerals);
};

}  // namespace korvel::age
