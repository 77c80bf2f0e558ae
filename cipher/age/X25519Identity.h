#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AgeHeader.h"
#include "FileKey.h"
#include "X25519KeyPair.h"
#include "X25519Recipient.h"

namespace korvel::age {

// An X25519 secret key that opens the stanzas made for its recipient, written
// "AGE-SECRET-KEY-1...".
class X25519Identity {
public:
    static constexpr std::string_view kHumanPart = "age-secret-key-";

    explicit X25519Identity(const Key32& secretKey);
    static X25519Identity Generate();
    static std::optional<X25519Identity> FromText(std::string_view text);
    // The identities of an age identity file: one "AGE-SECRET-KEY-1..." a line, with blank lines
    // and "#" comments between. Throws std::invalid_argument naming the first line that is
    // neither.
    static std::vector<X25519Identity> FromIdentityFile(std::string_view text);

    const Key32& SecretKey() const { return keys_.Secret(); }
    std::string Text() const;
    // The identity as an age identity file, with its recipient in a comment.
    std::string IdentityFileText() const;
    X25519Recipient Recipient() const;
    // The file key of a stanza made for this identity; nullopt for a stanza of another type or
    // of another recipient. A malformed X25519 stanza, or one whose share gives the all-zero
    // secret, throws AgeError (MalformedHeader).
    std::optional<FileKey> Unwrap(const Stanza& stanza) const;

private:
    explicit X25519Identity(const X25519KeyPair& keys) : keys_(keys) {}

    X25519KeyPair keys_;
};

}  // namespace korvel::age
