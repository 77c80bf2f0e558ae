#pragma once

#include <QObject>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "RunObserver.h"

namespace korvel {

// The observer of a run that works on a thread of its own. It hands every notification over to
// the window's observer on the window's thread, in the order and number the run sends
// them: the quick ones queued, the boxes one at a time while the run waits for them to close.
// Nothing of the window is touched on the run's thread.
//
// A large run sends a percent every thousand bytes, a million in a gigabyte, nearly all of them
// the same as the one before. Waking the window's thread for each block would cost more than the
// run's own transform, and painting the bar at every percent costs a fast run a tenth of its time.
// So the percents wait until a block ends on a percent that the window does not show yet, at
// least kHandOverInterval after the last hand-over: the window's thread wakes at most 25 times a
// second, which the eye takes for a bar that moves smoothly, and a slow run still shows every
// percent as it comes. A percent repeated is kept once with its count.
class RunRelay : public RunObserver {
public:
    // The hand-overs are delivered through `context`, an object of the window's thread that
    // outlives every run.
    RunRelay(RunObserver& window, QObject& context);

    // Window's thread: readies the relay for the next run.
    void Reset();
    // Any thread: the run stops at its next progress update, and a box it waits for no longer
    // holds it.
    void RequestStop();

    void ShowNotice(const std::string& text, NoticeKind kind) override;
    void EnterProgressMode() override;
    void ShowPercent(int percent) override;
    CancelAnswer AskCancel(const std::string& title, const std::string& text) override;
    bool PumpEvents() override;
    void EndOfBlock() override;
    void LeaveProgressMode(LeaveHalf half, LeaveReason reason) override;
    // Hands over what is still waiting; the run's thread calls it once the run has returned.
    void Flush();

private:
    static constexpr std::chrono::milliseconds kHandOverInterval{40};

    struct Notification {
        enum class Kind { Enter, Percent, Leave } kind;
        int percent = 0;
        int repeat = 1;  // a percent that many times in a row
        LeaveHalf half = LeaveHalf::RestoreControls;
        LeaveReason reason = LeaveReason::Completed;
    };
    void KeepPendingPercent();
    void Deliver(const std::vector<Notification>& batch) const;
    template <typename Answer>
    Answer HandOver(std::function<Answer()> ask, Answer whenStopped);

    RunObserver& window_;
    QObject& context_;
    // The run's thread only:
    std::vector<Notification> waiting_;
    int pendingPercent_ = -1;  // the latest percent, sent pendingRepeat_ times since it was kept
    int pendingRepeat_ = 0;
    int lastPercentHandedOver_ = -1;
    std::chrono::steady_clock::time_point lastHandOver_;
    std::atomic<bool> stopRequested_ = false;
    std::mutex mutex_;
    std::condition_variable answered_;
};

}  // namespace korvel
