#include "PairedWork.h"

#include <chrono>
#include <system_error>

namespace korvel {

namespace {

// How long a thread looks for its partner's signal before it sleeps: about as long as the run's
// thread takes to write one block and read the next. Sleeping and being woken cost 20-40 µs on
// this machine's processors. It looks without yielding: on a busy machine a yield can give the
// processor away for a whole time slice of another program, a millisecond or more each time.
// After a look that came to nothing (the partner was not running: the machine is busy), that
// thread's next waits sleep at once.
constexpr std::chrono::microseconds kLookBeforeSleeping{200};
constexpr int kSleepsAfterMiss = 16;

template <typename Condition>
bool CameWithin(Condition condition) {
    const auto until = std::chrono::steady_clock::now() + kLookBeforeSleeping;
    while (!condition()) {
        for (int look = 0; look < 64; ++look) {
            if (condition()) return true;
        }
        if (std::chrono::steady_clock::now() >= until) return false;
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
    const std::function<void()> second = [&share] { share(1); };
    Start(second);
    share(0);
    Wait();
}

void PairedWork::Start(const std::function<void()>& work) {
    if (!helper_.joinable()) {
        work();
        return;
    }
    work_ = &work;
    Signal();
}

void PairedWork::Wait() {
    if (!helper_.joinable()) return;
    Await([this] { return work_.load() == nullptr; }, callerSleeps_);
}

void PairedWork::Serve() {
    int sleeps = 0;
    while (true) {
        Await([this] { return stopping_.load() || work_.load() != nullptr; }, sleeps);
        if (stopping_) return;
        (*work_.load())();
        work_ = nullptr;
        Signal();
    }
}

void PairedWork::Signal() {
    // Through the mutex, so that a partner about to sleep either sees the change or is woken.
    { const std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

void PairedWork::Await(const std::function<bool()>& condition, int& sleepsLeft) {
    if (sleepsLeft > 0) {
        --sleepsLeft;
    } else if (CameWithin(condition)) {
        return;
    } else {
        sleepsLeft = kSleepsAfterMiss;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, condition);
}

}  // namespace korvel
