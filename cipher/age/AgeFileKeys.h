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

    AgeFileKeys(Bytes prefix, const Key32& payloadKey);
    AgeFileKeys(AgeFileKeys&&) = default;
    AgeFileKeys& operator=(AgeFileKeys&&) = default;
    ~AgeFileKeys();

    Bytes prefix;
    Key32 payloadKey;
};

}  // namespace korvel::age
