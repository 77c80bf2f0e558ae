#include "FileKeysAhead.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace korvel {

FileKeysAhead::FileKeysAhead(Recipient recipient, std::size_t files)
    : thread_([this, recipient = std::move(recipient), files] {
          Make(recipient, std::min(files, kMostKeyPairs));
      }) {}

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

std::optional<age::X25519KeyPair> FileKeysAhead::TakeKeyPair() {
    const std::lock_guard lock(mutex_);
    if (keyPairs_.empty()) return std::nullopt;
    age::X25519KeyPair pair = keyPairs_.front();
    keyPairs_.pop_front();
    return pair;
}

age::AgeFileKeys FileKeysAhead::MakeKeys(const age::X25519Recipient& recipient) {
    const std::optional<age::X25519KeyPair> pair = TakeKeyPair();
    if (pair) return age::AgeFileKeys::Fresh(recipient, *pair);
    return age::AgeFileKeys::Fresh(std::span(&recipient, 1));
}

void FileKeysAhead::Make(const Recipient& recipient, std::size_t mostKeyPairs) {
    try {
        std::optional<age::X25519Recipient> known;
        while (!(known = recipient.ifKnown()) && MakeKeyPairs(mostKeyPairs)) {
        }
        if (!known) {
            {
                const std::lock_guard lock(mutex_);
                if (stopping_) return;
            }
            known = recipient.whenKnown();
        }
        Refill(*known);
    } catch (const std::exception&) {
        // The key file could not be read, or libcrypto failed: each file then makes its own keys
        // and reports the failure as its run does.
    }
}

// One batch more; false once there are enough, or when the set has ended.
bool FileKeysAhead::MakeKeyPairs(std::size_t mostKeyPairs) {
    std::vector<age::X25519KeyPair> made;
    made.reserve(kBatch);
    for (std::size_t count = 0; count < kBatch; ++count) {
        made.push_back(age::X25519KeyPair::Generate());
    }
    const std::lock_guard lock(mutex_);
    keyPairs_.insert(keyPairs_.end(), made.begin(), made.end());
    return !stopping_ && keyPairs_.size() < mostKeyPairs;
}

void FileKeysAhead::Refill(const age::X25519Recipient& recipient) {
    while (true) {
        {
            std::unique_lock lock(mutex_);
            wanted_.wait(lock, [this] { return stopping_ || ready_.size() <= kBatch; });
            if (stopping_) return;
        }
        for (std::size_t made = 0; made < kBatch; ++made) {
            age::AgeFileKeys keys = MakeKeys(recipient);
            const std::lock_guard lock(mutex_);
            if (stopping_) return;
            ready_.push_back(std::move(keys));
        }
    }
}

}  // namespace korvel
