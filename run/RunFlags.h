#pragma once

#include <atomic>

namespace korvel {

// What the driver of a run asks of it while it works, from any thread. The run reads the flags
// between blocks, in every run.
class RunFlags {
public:
    // The cancel button. In progress mode the run asks the cancel question at its next update; a
    // quiet run, which has no question to ask, is cancelled at once.
    void RequestCancel() { cancel_ = true; }
    bool CancelRequested() const { return cancel_; }
    void ClearCancel() { cancel_ = false; }

    // Whoever drives the run goes away: the run stops between blocks, removes its temporary
    // target and sends nothing more. Returns false when the run has already begun to replace its
    // target; it then finishes, and the target holds its bytes.
    bool RequestStop() {
        int expected = kWorking;
        return state_.compare_exchange_strong(expected, kStopped) || expected == kStopped;
    }
    bool StopRequested() const { return state_ == kStopped; }

    // The run, once its target is on disk: from here it replaces the target and can no longer be
    // stopped. False when a stop came first.
    bool BeginReplacing() {
        int expected = kWorking;
        return state_.compare_exchange_strong(expected, kReplacing);
    }

private:
    static constexpr int kWorking = 0;
    static constexpr int kStopped = 1;
    static constexpr int kReplacing = 2;

    std::atomic<bool> cancel_ = false;
    std::atomic<int> state_ = kWorking;
};

}  // namespace korvel
