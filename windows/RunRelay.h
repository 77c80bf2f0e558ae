#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "RunObserver.h"

namespace korvel {

// The observer of a run that works on a thread of its own. It hands every notification over to
// the window's observer on the window's thread, in the order and number the run sends
// them: the quick ones queued (the percents of a block together, at the block's end), the boxes
// one at a time while the run waits for them to close. Nothing of the window is touched on the
// run's thread.
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
    struct Notification {
        enum class Kind { Enter, Percent, Leave } kind;
        int percent = 0;
        LeaveHalf half = LeaveHalf::RestoreControls;
        LeaveReason reason = LeaveReason::Completed;
    };
    void Deliver(const std::vector<Notification>& batch) const;
    template <typename Answer>
    Answer HandOver(std::function<Answer()> ask, Answer whenStopped);

    RunObserver& window_;
    QObject& context_;
    std::vector<Notification> waiting_;  // the run's thread only
    std::atomic<bool> stopRequested_ = false;
    std::mutex mutex_;
    std::condition_variable answered_;
};

}  // namespace korvel
