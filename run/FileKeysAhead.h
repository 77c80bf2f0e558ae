#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "cipher/age/AgeFileKeys.h"
#include "cipher/age/X25519KeyPair.h"

namespace korvel {

// The keys of a set's next age files, made ahead on a thread of their own while the set's thread
// reads, seals and writes: each file's two X25519 operations cost more than sealing a small file.
// The thread refills in batches (a wake-up here costs as much as a file's keys); a file that finds
// none ready makes its own, so the two threads share the work when the set outpaces the thread.
//
// Until the recipient is known (its scrypt takes the set's thread a third of a second), the
// thread makes the files' ephemeral key pairs, half of each file's X25519 work and independent of
// the recipient.
class FileKeysAhead {
public:
    static constexpr std::size_t kBatch = 32;
    static constexpr std::size_t kMostKeyPairs = 16384;  // 1 MiB

    struct Recipient {
        // The recipient when it is known without waiting; nullopt while it is being derived.
        std::function<std::optional<age::X25519Recipient>()> ifKnown;
        // The recipient, derived here if need be; throws when it cannot be had.
        std::function<age::X25519Recipient()> whenKnown;
    };

    // files: how many the set will encrypt, the most key pairs made before the recipient is known.
    FileKeysAhead(Recipient recipient, std::size_t files);
    FileKeysAhead(const FileKeysAhead&) = delete;
    FileKeysAhead& operator=(const FileKeysAhead&) = delete;
    // Stops the thread, after the keys it is making; those not taken are wiped.
    ~FileKeysAhead();

    // Keys made ahead, never handed out before; nullopt when none are ready.
    std::optional<age::AgeFileKeys> Take();
    // An ephemeral key pair made ahead, for a file that makes its own keys; nullopt when none is.
    std::optional<age::X25519KeyPair> TakeKeyPair();
    // A file's keys made now, with a key pair made ahead where one is left.
    age::AgeFileKeys MakeKeys(const age::X25519Recipient& recipient);

private:
    void Make(const Recipient& recipient, std::size_t mostKeyPairs);
    bool MakeKeyPairs(std::size_t mostKeyPairs);
    void Refill(const age::X25519Recipient& recipient);

    std::mutex mutex_;
    std::condition_variable wanted_;
    std::deque<age::AgeFileKeys> ready_;
    std::deque<age::X25519KeyPair> keyPairs_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace korvel
