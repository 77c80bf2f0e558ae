#include "RunHandOver.h"

#include <optional>

namespace korvel {

RunHandOver::RunHandOver(std::uint64_t runId, RunNotifications& receiver, QObject& context)
    : runId_(runId), receiver_(receiver), context_(context) {}

void RunHandOver::Silence() {
    {
        const std::lock_guard lock(mutex_);
        silenced_ = true;
    }
    answered_.notify_all();
}

void RunHandOver::End() {
    {
        const std::lock_guard lock(mutex_);
        silenced_ = true;
        ended_ = true;
        waiting_.clear();
    }
    answered_.notify_all();
}

bool RunHandOver::Dropped(const Waiting& waiting) const {
    return ended_ || (silenced_ && waiting.kind != Waiting::Kind::Finished);
}

void RunHandOver::ShowNotice(const std::string& text, NoticeKind kind) {
    AskAndWait<bool>(
        [this, text, kind] {
            receiver_.ShowNotice(text, kind);
            return true;
        },
        false);
}

void RunHandOver::EnterProgressMode() { Put(Waiting::Of(Waiting::Kind::Enter), true); }

// Called a thousand times a megabyte: the same percent again only counts.
void RunHandOver::ShowPercent(int percent) {
    if (percent == lastPercent_) {
        ++unputRepeats_;
        return;
    }
    Put(Waiting::Percent(percent, 1), false);
    lastPercent_ = percent;
}

CancelAnswer RunHandOver::AskCancel(const std::string& title, const std::string& text) {
    // An ended hand-over means the window goes away; the run's stop flag ends the run.
    return AskAndWait<CancelAnswer>(
        [this, title, text] { return receiver_.AskCancel(title, text); }, CancelAnswer::No);
}

void RunHandOver::LeaveProgressMode(LeaveStep step, LeaveReason reason) {
    Put(Waiting::Leave(step, reason), true);
}

void RunHandOver::RunReturned(std::function<void()> finished) {
    Put(Waiting::Calling(Waiting::Kind::Finished, std::move(finished)), true);
}

// The repeats of the last percent go in before anything else, so everything keeps its order.
void RunHandOver::Put(Waiting waiting, bool postNow) {
    const std::lock_guard lock(mutex_);
    if (Dropped(waiting)) return;
    if (unputRepeats_ > 0) {
        waiting_.push_back(Waiting::Percent(lastPercent_, unputRepeats_));
        unputRepeats_ = 0;
    }
    waiting_.push_back(std::move(waiting));
    if (postNow) PostTake();
}

// Posted under the lock, so never once the hand-over has ended and its context may be gone.
void RunHandOver::PostTake() {
    QMetaObject::invokeMethod(
        &context_, [self = shared_from_this()] { self->TakeWaiting(); }, Qt::QueuedConnection);
}

// A box can hold the window's thread in a loop of its own, in which the pacing timer takes what
// comes next; so what waits is taken out before any of it is delivered.
void RunHandOver::TakeWaiting() {
    std::vector<Waiting> taken;
    {
        const std::lock_guard lock(mutex_);
        taken.swap(waiting_);
    }
    for (Waiting& waiting : taken) {
        {
            const std::lock_guard lock(mutex_);
            if (Dropped(waiting)) continue;
        }
        Deliver(waiting);
    }
}

void RunHandOver::Deliver(Waiting& waiting) {
    switch (waiting.kind) {
        case Waiting::Kind::Enter:
            receiver_.EnterProgressMode();
            break;
        case Waiting::Kind::Percent:
            for (int i = 0; i < waiting.repeat; ++i) receiver_.ShowPercent(waiting.percent);
            break;
        case Waiting::Kind::Leave:
            receiver_.LeaveProgressMode(waiting.step, waiting.reason);
            break;
        case Waiting::Kind::Call:
        case Waiting::Kind::Finished:
            waiting.call();
            break;
    }
}

// Queued behind everything sent before, so the box comes in its place; the run's thread waits
// for the answer, or for the end of the hand-over.
template <typename Answer>
Answer RunHandOver::AskAndWait(std::function<Answer()> ask, Answer whenEnded) {
    auto answer = std::make_shared<std::optional<Answer>>();
    auto askOnWindowThread = [this, ask = std::move(ask), answer] {
        const Answer given = ask();
        {
            const std::lock_guard lock(mutex_);
            *answer = given;
        }
        answered_.notify_all();
    };
    Put(Waiting::Calling(Waiting::Kind::Call, std::move(askOnWindowThread)), true);
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return answer->has_value() || silenced_; });
    return answer->value_or(whenEnded);
}

}  // namespace korvel
