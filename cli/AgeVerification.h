#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "cipher/age/X25519Identity.h"

namespace korvel {

enum class VerifyVerdict {
    Intact,         // every chunk authenticated, up to the final one and nothing after it
    Damaged,        // changed, cut, lengthened or not well-formed
    NotOpened,      // no stanza opens with these keys
    NotVerifiable,  // a seed-format file, an empty one, another version or kind of recipient
    Unreadable,     // the file could not be read through
};

struct VerifyResult {
    VerifyVerdict verdict = VerifyVerdict::Intact;
    std::string reason;  // all but Intact: why, in the user's words
    // A stanza opened with the keys (Intact, or Damaged after the header's stanzas).
    bool keysOpened = false;
};

// Authenticates an age file with a set of identities, reading it in blocks and discarding the
// plaintext, so that memory stays flat whatever the file's size. Writes nothing.
class AgeVerification {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    // notOpenedReason: what a file no stanza of opens is told (it names the key file's
    // fingerprint, or the identity file). fromIdentityFile: the keys are an identity file's.
    AgeVerification(std::vector<age::X25519Identity> identities, std::string notOpenedReason,
                    bool fromIdentityFile);

    VerifyResult Check(const std::filesystem::path& file) const;

private:
    VerifyResult Authenticate(const std::filesystem::path& file) const;

    std::vector<age::X25519Identity> identities_;
    std::string notOpenedReason_;
    bool fromIdentityFile_;
};

}  // namespace korvel
