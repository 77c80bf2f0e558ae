#include "BackgroundRun.h"

#include <QCoreApplication>

#include "RunHandOver.h"

namespace korvel {

BackgroundRun::BackgroundRun(RunNotifications& window, QObject* parent)
    : QObject(parent), window_(window) {
    pacing_.setInterval(kPacing);
    connect(&pacing_, &QTimer::timeout, this, &BackgroundRun::TakeWaiting);
    // However the program ends, no run outlives it with a temporary file on disk.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &BackgroundRun::StopAndWait);
}

BackgroundRun::~BackgroundRun() { StopAndWait(); }

bool BackgroundRun::Start(RunRequest request, std::function<void(const RunResult&)> ended,
                          std::function<void()> beforeTargetWrite) {
    if (Working()) return false;
    const std::uint64_t id = ++lastRunId_;
    auto handOver = std::make_shared<RunHandOver>(id, window_, *this);
    std::promise<void> done;
    current_ = std::make_unique<Current>(
        Current{id, request.flags, handOver, done.get_future(), std::thread()});
    ended_ = std::move(ended);
    // The thread holds only what it shares with the window, so it may outlive the window.
    current_->thread =
        std::thread([this, id, handOver, done = std::move(done), request = std::move(request),
                     beforeTargetWrite = std::move(beforeTargetWrite)]() mutable {
            const RunResult result = CipherRun(request, *handOver, beforeTargetWrite);
            handOver->RunReturned([this, id, result] { Finish(id, result); });
            done.set_value();
        });
    pacing_.start();
    return true;
}

void BackgroundRun::RequestCancel() {
    if (current_) current_->flags->RequestCancel();
}

void BackgroundRun::RequestStop() {
    if (!current_) return;
    current_->flags->RequestStop();
    current_->handOver->Silence();
}

void BackgroundRun::StopAndWait() {
    if (!current_) return;
    RequestStop();
    if (current_->done.wait_for(kStopWait) == std::future_status::ready) {
        current_->thread.join();
    } else {
        current_->thread.detach();
    }
    current_->handOver->End();
    current_.reset();
    pacing_.stop();
    ended_ = nullptr;
}

void BackgroundRun::TakeWaiting() {
    if (current_) current_->handOver->TakeWaiting();
}

void BackgroundRun::Finish(std::uint64_t runId, const RunResult& result) {
    if (!current_ || current_->id != runId) return;  // a run stopped and waited for already
    current_->thread.join();
    current_.reset();
    pacing_.stop();
    if (auto ended = std::exchange(ended_, nullptr)) ended(result);
}

}  // namespace korvel
