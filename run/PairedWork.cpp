#include "PairedWork.h"

#include <system_error>

namespace korvel {

PairedWork::PairedWork(bool useSecondThread) {
    if (!useSecondThread) return;
    try {
        helper_ = std::thread([this] { Serve(); });
    } catch (const std::system_error&) {
        // No thread to be had: the calling thread does both shares.
    }
}

PairedWork::~PairedWork() {
    if (!helper_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    helper_.join();
}

void PairedWork::Run(const std::function<void(int share)>& share) {
    if (!helper_.joinable()) {
        share(0);
        share(1);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        work_ = &share;
    }
    changed_.notify_all();
    share(0);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return work_ == nullptr; });
}

void PairedWork::Serve() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || work_ != nullptr; });
        if (stopping_) return;
        lock.unlock();
        (*work_)(1);
        lock.lock();
        work_ = nullptr;
        changed_.notify_all();
    }
}

}  // namespace korvel
