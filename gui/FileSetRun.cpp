#include "FileSetRun.h"

#include <chrono>

namespace korvel {

namespace {

constexpr std::chrono::milliseconds kBytesPacing{100};

std::int64_t NowInMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

FileSetRun::FileSetRun(Callbacks callbacks, QObject* parent)
    : QObject(parent), callbacks_(std::move(callbacks)) {}

FileSetRun::~FileSetRun() {
    if (!thread_.joinable()) return;
    Cancel();
    thread_.join();
}

void FileSetRun::Start(std::vector<QueueEntry> entries, QueueSettings settings) {
    if (Working()) return;
    queue_ = std::make_unique<FileQueue>(std::move(entries), std::move(settings));
    thread_ = std::thread([this] {
        const QueueSummary summary = queue_->Run(*this);
        QMetaObject::invokeMethod(
            this, [this, summary] { Finish(summary); }, Qt::QueuedConnection);
    });
}

void FileSetRun::Cancel() {
    if (queue_) queue_->Cancel();
    AnswerDoubt(DoubtDecision::StopHere);
}

void FileSetRun::Finish(const QueueSummary& summary) {
    thread_.join();
    queue_.reset();
    if (callbacks_.ended) callbacks_.ended(summary);
}

void FileSetRun::EntryChanged(std::size_t index, const QueueEntry& entry) {
    QMetaObject::invokeMethod(
        this, [this, index, entry] { callbacks_.entryChanged(index, entry); },
        Qt::QueuedConnection);
}

void FileSetRun::BytesDone(std::uint64_t done, std::uint64_t total) {
    const std::int64_t now = NowInMilliseconds();
    if (done < total && now - lastBytesPosted_ < kBytesPacing.count()) return;
    lastBytesPosted_ = now;
    QMetaObject::invokeMethod(
        this, [this, done, total] { callbacks_.bytesDone(done, total); }, Qt::QueuedConnection);
}

// The set waits on its thread; the window asks on its own. A cancel in the meantime answers for it.
DoubtDecision FileSetRun::AskAboutDoubtfulResult(const QueueEntry& entry) {
    std::future<DoubtDecision> answer;
    {
        const std::lock_guard lock(doubtMutex_);
        doubtAnswer_.emplace();
        answer = doubtAnswer_->get_future();
    }
    QMetaObject::invokeMethod(
        this,
        [this, entry] {
            if (DoubtPending()) AnswerDoubt(callbacks_.askAboutDoubt(entry));
        },
        Qt::QueuedConnection);
    return answer.get();
}

bool FileSetRun::DoubtPending() {
    const std::lock_guard lock(doubtMutex_);
    return doubtAnswer_.has_value();
}

void FileSetRun::AnswerDoubt(DoubtDecision decision) {
    const std::lock_guard lock(doubtMutex_);
    if (!doubtAnswer_) return;
    doubtAnswer_->set_value(decision);
    doubtAnswer_.reset();
}

}  // namespace korvel
