#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "cipher/age/AgeFileKeys.h"

namespace korvel {

// The keys of a set's next age files, made ahead on a thread of their own while the set's thread
// reads, seals and writes: each file's two X25519 operations cost more than sealing a small file.
// The thread refills in batches (a wake-up here costs as much as a file's keys); a file that finds
// none ready makes its own, so the two threads share the work when the set outpaces the thread.
class FileKeysAhead {
public:
    static constexpr std::size_t kBatch = 32;

    // recipient is asked once, on the thread; when it throws, no keys are made ahead.
    explicit FileKeysAhead(std::function<age::X25519Recipient()> recipient);
    FileKeysAhead(const FileKeysAhead&) = delete;
    FileKeysAhead& operator=(const FileKeysAhead&) = delete;
    // Stops the thread, after the keys it is making; those not taken are wiped.
    ~FileKeysAhead();

    // Keys made ahead, never handed out before; nullopt when none are ready.
    std::optional<age::AgeFileKeys> Take();

private:
    void Make(const std::function<age::X25519Recipient()>& recipient);
    void Refill(const age::X25519Recipient& recipient);

    std::mutex mutex_;
    std::condition_variable wanted_;
    std::deque<age::AgeFileKeys> ready_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace korvel
