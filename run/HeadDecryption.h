#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "RunRequest.h"

namespace korvel {

// The first bytes a decryption would write, decrypted in memory before anything is written.
struct DecryptedHead {
    std::vector<std::uint8_t> bytes;
    bool wholeFile = false;  // bytes are the whole plaintext
};

// Decrypts the head of a request's ciphertext for the head check, with the request's own key
// reader where it has one, so that the check and the run read one open key file.
class HeadDecryption {
public:
    // Opens the request's key file for its head decryption and its run, where it has none open.
    // A key file that cannot be opened is left to the run, which says why.
    static void OpenKeyFor(RunRequest& request);
    // At most maxCount bytes from the start of the ciphertext's data, decrypted. Nothing when the
    // source or the key file cannot be read (the run reports it), and for an age file, which has
    // nothing to judge: the run tells exactly whether the keys open it.
    static std::optional<DecryptedHead> Decrypt(const RunRequest& request, std::size_t maxCount);
};

}  // namespace korvel
