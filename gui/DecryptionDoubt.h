#pragma once

#include <QString>

#include "run/RunRequest.h"

namespace korvel {

// What the windows make of a decryption that may use a wrong password or key file, before it
// writes anything.
class DecryptionDoubt {
public:
    // The head, decrypted in memory with the request's key reader, does not look like the start
    // of a file with the target's name. A head that cannot be read is left to the run.
    static bool LooksWrong(const RunRequest& request);
    // The key file's fingerprint, or the text that says it cannot be read.
    static QString FingerprintText(const std::filesystem::path& keyFile);
    // The same of the request's key file, read through its open key reader where it has one.
    static QString FingerprintText(const RunRequest& request);
};

}  // namespace korvel
