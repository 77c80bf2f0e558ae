#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "run/RunNotifications.h"

namespace korvel {

// Hands one run's notifications from the run's thread over to a receiver on the window's thread,
// in the order and number the run sends them. Nothing of the window is touched on the run's
// thread. Each run has a hand-over of its own; once it is ended, it hands over nothing more, even
// what was already posted, and a run that waits for a box goes on without it.
//
// A large run sends a percent every thousand bytes, nearly all of them the same as the one before.
// A new percent is put in the hand-over's box at once and a repeated one only counts; the window
// takes what waits there when its pacing timer calls TakeWaiting(), 25 times a second, so the run
// never wakes the window's thread for a percent. Entering and leaving progress mode, the boxes
// and the run's end are posted at once, behind whatever waits.
class RunHandOver : public RunNotifications, public std::enable_shared_from_this<RunHandOver> {
public:
    // `context` is an object of the window's thread through which calls are posted; `ended` runs
    // there when the run has returned.
    RunHandOver(std::uint64_t runId, RunNotifications& receiver, QObject& context);

    std::uint64_t RunId() const { return runId_; }

    // Window's thread: hands over what waits.
    void TakeWaiting();
    // Any thread: nothing more reaches the receiver, and a box the run waits for no longer holds
    // it; the run's end is still handed over.
    void Silence();
    // Any thread: the same, and the run's end is not handed over either.
    void End();

    // The run's thread, once the run has returned: hands over what still waits, then calls
    // `finished` on the window's thread unless the hand-over has ended by then.
    void RunReturned(std::function<void()> finished);

    void ShowNotice(const std::string& text, NoticeKind kind) override;
    void EnterProgressMode() override;
    void ShowPercent(int percent) override;
    CancelAnswer AskCancel(const std::string& title, const std::string& text) override;
    void LeaveProgressMode(LeaveStep step, LeaveReason reason) override;

private:
    struct Waiting {
        enum class Kind { Enter, Percent, Leave, Call, Finished };
        static Waiting Of(Kind kind) { return {kind, 0, 1, {}, {}, {}}; }
        static Waiting Percent(int percent, int repeat) {
            return {Kind::Percent, percent, repeat, {}, {}, {}};
        }
        static Waiting Leave(LeaveStep step, LeaveReason reason) {
            return {Kind::Leave, 0, 1, step, reason, {}};
        }
        static Waiting Calling(Kind kind, std::function<void()> call) {
            return {kind, 0, 1, {}, {}, std::move(call)};
        }

        Kind kind;
        int percent;
        int repeat;  // a percent that many times in a row
        LeaveStep step;
        LeaveReason reason;
        std::function<void()> call;
    };
    void Put(Waiting waiting, bool postNow);
    void PutRepeats();
    void PostTake();
    template <typename Answer>
    Answer AskAndWait(std::function<Answer()> ask, Answer whenEnded);
    bool Dropped(const Waiting& waiting) const;  // under the lock
    void Deliver(Waiting& waiting);

    const std::uint64_t runId_;
    RunNotifications& receiver_;
    QObject& context_;
    // The run's thread only: the last percent sent, and how often since it was last put.
    int lastPercent_ = -1;
    int unputRepeats_ = 0;

    std::mutex mutex_;  // guards what follows
    std::condition_variable answered_;
    std::vector<Waiting> waiting_;
    bool silenced_ = false;
    bool ended_ = false;
};

}  // namespace korvel
