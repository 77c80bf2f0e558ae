#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cipher/age/AgeFileKeys.h"
#include "cipher/age/X25519Identity.h"

namespace korvel {

class FileKeysAhead;

// The age keys of the runs of one confirmed password and key file, or of one set: derived once,
// on the first run that needs them (scrypt takes about half a second and 128 MiB), and shared by
// every run after it, on whatever thread. Or the identities of an age identity file, given
// from the start; a run then has no recipient to encrypt for.
class AgeKeys {
public:
    AgeKeys(std::string password, std::filesystem::path keyFile);
    explicit AgeKeys(std::vector<age::X25519Identity> identities);

    // The identities that open a file. Derives them on the first call; throws FileError when the
    // key file cannot be read (and derives again on the next call).
    const std::vector<age::X25519Identity>& Identities();
    // The recipient that files are encrypted for; nullopt for the keys of an identity file.
    std::optional<age::X25519Recipient> Recipient();
    bool FromIdentityFile() const { return password_.empty(); }

    // Fresh keys for one age file, for the recipient (an identity file's keys encrypt for its
    // first identity). Throws FileError as Identities does.
    age::AgeFileKeys FileKeys();
    // From now until StopPreparing, the next files' keys are made ahead on a thread of their own:
    // for a set of many files, on a machine with a second processor. files: how many.
    void PrepareFileKeysAhead(std::size_t files);
    void StopPreparing();

private:
    age::X25519Recipient EncryptingRecipient();
    // nullopt while the identity is being derived, or before anyone asked for it.
    std::optional<age::X25519Recipient> EncryptingRecipientIfDerived();

    std::mutex mutex_;
    std::string password_;
    std::filesystem::path keyFile_;
    std::vector<age::X25519Identity> identities_;
    std::mutex aheadMutex_;
    std::shared_ptr<FileKeysAhead> ahead_;  // last, so that its thread ends first
};

}  // namespace korvel
