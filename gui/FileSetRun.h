#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "queue/FileQueue.h"

namespace korvel {

// Works a set of files on a thread of its own, so that the window goes on answering. What the set
// tells reaches the window's callbacks on the window's thread. Destroying it cancels the set and
// waits for it: the cancel stops the current file between blocks and removes its temporary file.
class FileSetRun : public QObject, private QueueObserver {
public:
    struct Callbacks {
        std::function<void(std::size_t index, const QueueEntry& entry)> entryChanged;
        std::function<void(std::uint64_t done, std::uint64_t total)> bytesDone;
        // Asked on the window's thread while the set waits for the answer.
        std::function<DoubtDecision(const QueueEntry& entry)> askAboutDoubt;
        std::function<void(const QueueSummary& summary)> ended;
    };

    FileSetRun(Callbacks callbacks, QObject* parent);
    ~FileSetRun() override;

    bool Working() const { return thread_.joinable(); }
    void Start(std::vector<QueueEntry> entries, QueueSettings settings);
    // Any time: the current file stops, the rest are skipped; the set still ends as usual.
    void Cancel();

private:
    void EntryChanged(std::size_t index, const QueueEntry& entry) override;
    void BytesDone(std::uint64_t done, std::uint64_t total) override;
    DoubtDecision AskAboutDoubtfulResult(const QueueEntry& entry) override;
    void Finish(const QueueSummary& summary);
    void AnswerDoubt(DoubtDecision decision);
    bool DoubtPending();

    Callbacks callbacks_;
    std::unique_ptr<FileQueue> queue_;
    std::thread thread_;

    // The question that waits for the window; answered by the window, or by the cancel.
    std::mutex doubtMutex_;
    std::optional<std::promise<DoubtDecision>> doubtAnswer_;

    // Byte counts are posted at most once per pacing interval.
    std::atomic<std::int64_t> lastBytesPosted_ = 0;
};

}  // namespace korvel
