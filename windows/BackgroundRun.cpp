#include "BackgroundRun.h"

#include <QCoreApplication>

namespace korvel {

BackgroundRun::BackgroundRun(RunObserver& window, QObject* parent)
    : QObject(parent), relay_(window, *this) {
    // However the program ends, no run outlives it with a temporary file on disk.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &BackgroundRun::StopAndWait);
}

BackgroundRun::~BackgroundRun() { StopAndWait(); }

bool BackgroundRun::Start(RunRequest request, std::function<void(const RunResult&)> ended,
                          std::function<void()> beforeTargetWrite) {
    if (Working()) return false;
    relay_.Reset();
    ended_ = std::move(ended);
    thread_.reset(QThread::create(
        [this, request = std::move(request), beforeTargetWrite = std::move(beforeTargetWrite)] {
            const RunResult result = CipherRun(request, relay_, beforeTargetWrite);
            relay_.Flush();
            QMetaObject::invokeMethod(
                this, [this, result] { Finish(result); }, Qt::QueuedConnection);
        }));
    thread_->start();
    return true;
}

void BackgroundRun::StopAndWait() {
    if (!thread_) return;
    relay_.RequestStop();
    thread_->wait();
    thread_.reset();
    ended_ = nullptr;
}

void BackgroundRun::Finish(const RunResult& result) {
    if (!thread_) return;  // already stopped and waited for
    thread_->wait();
    thread_.reset();
    if (auto ended = std::exchange(ended_, nullptr)) ended(result);
}

}  // namespace korvel
