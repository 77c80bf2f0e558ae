#include "PairedWork.h"

#include <chrono>
#include <system_error>

namespace korvel {

namespace {

// How long a thread looks for its partner's signal before it sleeps: about as long as the run's
// thread takes to write one block and read the next. Sleeping and being woken cost 20-40 µs on
// this machine's processors, each of two a block; looking costs a yield at a time, which gives the
// processor to anything else that wants it.
constexpr std::chrono::microseconds kLookBeforeSleeping{300};

template <typename Condition>
bool CameWithin(Condition condition) {
    const auto until = std::chrono::steady_clock::now() + kLookBeforeSleeping;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::yield();
    }
    return true;
}

}  // namespace

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
    stopping_ = true;
    Signal();
    helper_.join();
}

void PairedWork::Run(const std::function<void(int share)>& share) {
    if (!helper_.joinable()) {
        share(0);
        share(1);
        return;
    }
    work_ = &share;
    Signal();
    share(0);
    Await([this] { return work_.load() == nullptr; });
}

void PairedWork::Serve() {
    while (true) {
        Await([this] { return stopping_.load() || work_.load() != nullptr; });
        if (stopping_) return;
        (*work_.load())(1);
        work_ = nullptr;
        Signal();
    }
}

void PairedWork::Signal() {
    // Through the mutex, so that a partner about to sleep either sees the change or is woken.
    { const std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

void PairedWork::Await(const std::function<bool()>& condition) {
    if (CameWithin(condition)) return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, condition);
}

}  // namespace korvel
