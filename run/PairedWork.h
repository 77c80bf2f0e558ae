#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace korvel {

// A second thread that does one share of a piece of work while the calling thread does the other,
// for work that splits into independent parts (the chunks of an age payload). Started once for a
// run, not once for each piece: a piece is a few tens of microseconds of work, as long as it
// takes to start a thread. Where there is no second processor, or no thread to be had, the
// calling thread does both shares itself.
class PairedWork {
public:
    explicit PairedWork(bool useSecondThread);
    PairedWork(const PairedWork&) = delete;
    PairedWork& operator=(const PairedWork&) = delete;
    ~PairedWork();

    bool HasSecondThread() const { return helper_.joinable(); }
    // Calls share(0) on the calling thread and share(1) on the second one, and returns when both
    // have returned. share must not throw.
    void Run(const std::function<void(int share)>& share);
    // Starts work on the second thread and returns at once; Wait returns once it has returned.
    // work must not throw, and must live until then. Without a second thread, Start does the work.
    void Start(const std::function<void()>& work);
    void Wait();

private:
    void Serve();
    void Signal();
    // Looks for the condition for a while, then sleeps until it holds; sleepsLeft counts the
    // waits of that thread that sleep without looking.
    void Await(const std::function<bool()>& condition, int& sleepsLeft);

    std::mutex mutex_;
    std::condition_variable changed_;
    // The second share, while it is to be done.
    std::atomic<const std::function<void()>*> work_ = nullptr;
    std::atomic<bool> stopping_ = false;
    int callerSleeps_ = 0;
    std::thread helper_;
};

}  // namespace korvel
