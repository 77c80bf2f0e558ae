#include "RunRelay.h"

#include <memory>
#include <optional>

namespace korvel {

RunRelay::RunRelay(RunObserver& window, QObject& context) : window_(window), context_(context) {}

void RunRelay::Reset() {
    stopRequested_ = false;
    CancelRequested = false;
    waiting_.clear();
    pendingPercent_ = -1;
    pendingRepeat_ = 0;
    lastPercentHandedOver_ = -1;
}

void RunRelay::RequestStop() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    answered_.notify_all();
}

void RunRelay::ShowNotice(const std::string& text, NoticeKind kind) {
    HandOver<bool>(
        [this, text, kind] {
            window_.ShowNotice(text, kind);
            return true;
        },
        false);
}

void RunRelay::EnterProgressMode() {
    KeepPendingPercent();
    waiting_.push_back({Notification::Kind::Enter});
    Flush();
}

// Called a thousand times a megabyte: the same percent again only counts.
void RunRelay::ShowPercent(int percent) {
    if (percent == pendingPercent_) {
        ++pendingRepeat_;
        return;
    }
    KeepPendingPercent();
    pendingPercent_ = percent;
    pendingRepeat_ = 1;
}

void RunRelay::KeepPendingPercent() {
    if (pendingRepeat_ == 0) return;
    waiting_.push_back({Notification::Kind::Percent, pendingPercent_, pendingRepeat_});
    pendingRepeat_ = 0;
}

CancelAnswer RunRelay::AskCancel(const std::string& title, const std::string& text) {
    // A window going away takes the run down at the next update; until then it goes on.
    return HandOver<CancelAnswer>([this, title, text] { return window_.AskCancel(title, text); },
                                  CancelAnswer::No);
}

bool RunRelay::PumpEvents() { return !stopRequested_; }

void RunRelay::EndOfBlock() {
    if (pendingRepeat_ == 0 || pendingPercent_ == lastPercentHandedOver_) return;
    if (std::chrono::steady_clock::now() - lastHandOver_ >= kHandOverInterval) Flush();
}

void RunRelay::LeaveProgressMode(LeaveHalf half, LeaveReason reason) {
    KeepPendingPercent();
    waiting_.push_back({Notification::Kind::Leave, 0, 1, half, reason});
    Flush();
}

void RunRelay::Flush() {
    KeepPendingPercent();
    if (waiting_.empty()) return;
    const Notification& last = waiting_.back();
    lastPercentHandedOver_ = last.kind == Notification::Kind::Percent ? last.percent : -1;
    lastHandOver_ = std::chrono::steady_clock::now();
    QMetaObject::invokeMethod(
        &context_, [this, batch = std::move(waiting_)] { Deliver(batch); }, Qt::QueuedConnection);
    waiting_ = {};
}

void RunRelay::Deliver(const std::vector<Notification>& batch) const {
    for (const Notification& notification : batch) {
        switch (notification.kind) {
            case Notification::Kind::Enter:
                window_.EnterProgressMode();
                break;
            case Notification::Kind::Percent:
                for (int i = 0; i < notification.repeat; ++i) {
                    window_.ShowPercent(notification.percent);
                }
                break;
            case Notification::Kind::Leave:
                window_.LeaveProgressMode(notification.half, notification.reason);
                break;
        }
    }
}

// Queued behind everything sent before, so the box comes in its place; the run's thread waits
// for the answer, or for a stop.
template <typename Answer>
Answer RunRelay::HandOver(std::function<Answer()> ask, Answer whenStopped) {
    Flush();
    auto answer = std::make_shared<std::optional<Answer>>();
    QMetaObject::invokeMethod(
        &context_,
        [this, ask = std::move(ask), answer] {
            if (stopRequested_) return;
            const Answer given = ask();
            {
                std::lock_guard lock(mutex_);
                *answer = given;
            }
            answered_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return answer->has_value() || stopRequested_; });
    return answer->value_or(whenStopped);
}

}  // namespace korvel
