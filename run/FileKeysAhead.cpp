#include "FileKeysAhead.h"

#include <exception>

namespace korvel {

FileKeysAhead::FileKeysAhead(std::function<age::X25519Recipient()> recipient)
    : thread_([this, recipient = std::move(recipient)] { Make(recipient); }) {}

FileKeysAhead::~FileKeysAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wanted_.notify_one();
    thread_.join();
}

std::optional<age::AgeFileKeys> FileKeysAhead::Take() {
    std::unique_lock lock(mutex_);
    if (ready_.empty()) return std::nullopt;
    age::AgeFileKeys keys = std::move(ready_.front());
    ready_.pop_front();
    const bool refill = ready_.size() == kBatch;
    lock.unlock();
    if (refill) wanted_.notify_one();
    return keys;
}

void FileKeysAhead::Make(const std::function<age::X25519Recipient()>& recipient) {
    try {
        Refill(recipient());
    } catch (const std::exception&) {
        // The key file could not be read, or libcrypto failed: each file then makes its own keys
        // and reports the failure as its run does.
    }
}

void FileKeysAhead::Refill(const age::X25519Recipient& recipient) {
    while (true) {
        {
            std::unique_lock lock(mutex_);
            wanted_.wait(lock, [this] { return stopping_ || ready_.size() <= kBatch; });
            if (stopping_) return;
        }
        for (std::size_t made = 0; made < kBatch; ++made) {
            age::AgeFileKeys keys = age::AgeFileKeys::Fresh(std::span(&recipient, 1));
            const std::lock_guard lock(mutex_);
            if (stopping_) return;
            ready_.push_back(std::move(keys));
        }
    }
}

}  // namespace korvel
