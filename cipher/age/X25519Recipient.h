#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "AgeHeader.h"
#include "FileKey.h"
#include "X25519KeyPair.h"

namespace korvel::age {

// An X25519 public key that files are encrypted for, written "age1...".
class X25519Recipient {
public:
    static constexpr std::string_view kHumanPart = "age";
    static constexpr std::string_view kStanzaType = "X25519";
    static constexpr std::string_view kWrapInfo = "age-encryption.org/v1/X25519";

    explicit X25519Recipient(const Key32& publicKey) : publicKey_(publicKey) {}
    static std::optional<X25519Recipient> FromText(std::string_view text);

    const Key32& PublicKey() const { return publicKey_; }
    std::string Text() const;
    // A stanza that wraps the file key under a fresh ephemeral share.
    Stanza Wrap(const FileKey& fileKey) const;
    // The same under an ephemeral share made ahead, which must never serve another stanza.
    Stanza Wrap(const FileKey& fileKey, const X25519KeyPair& ephemeral) const;

private:
    Key32 publicKey_;
};

}  // namespace korvel::age
