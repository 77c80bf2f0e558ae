#pragma once

#include <stdexcept>
#include <string>

namespace korvel::age {

// What went wrong with an age file. The run layer turns each kind into the user's message; the
// text of the exception is for logs and tests.
enum class AgeErrorKind {
    NotAgeFile,          // the first line is not an age version line
    UnsupportedVersion,  // an age file of a version other than v1
    MalformedHeader,     // a stanza, its base64, a line length or the MAC line is not well-formed
    HeaderTooLarge,      // no end of the header within AgeHeader::kMaxSize bytes
    NoIdentityMatches,   // X25519 stanzas, none of them for our identities: wrong password/key
    OtherRecipientKind,  // only stanzas of another kind (passphrase, plugin, hardware key)
    HeaderMacWrong,      // a stanza opened, but the header was changed
    PayloadDamaged,      // a chunk failed to authenticate
    Truncated,           // the payload ended without its final chunk
    TrailingData,        // bytes after the final chunk
};

class AgeError : public std::runtime_error {
public:
    AgeError(AgeErrorKind kind, const std::string& detail);

    AgeErrorKind Kind() const { return kind_; }

private:
    AgeErrorKind kind_;
};

const char* AgeErrorKindName(AgeErrorKind kind);

}  // namespace korvel::age
