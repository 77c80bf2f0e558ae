#pragma once

#include <chrono>
#include <string>

#include "queue/QueueObserver.h"
#include "queue/TransferPace.h"

namespace korvel {

// How korvel-cli reports a set of files on standard error: every failure with its reason; on a
// terminal also the progress with speed and time left, the files skipped, and a summary line.
class ConsoleProgress : public QueueObserver {
public:
    // force (--force): the answer to the set's question about a doubtful file is to decrypt every
    // file, whatever its head looks like; otherwise the set stops there.
    ConsoleProgress(bool onTerminal, bool force);

    void EntryChanged(std::size_t index, const QueueEntry& entry) override;
    void BytesDone(std::uint64_t done, std::uint64_t total) override;
    DoubtDecision AskAboutDoubtfulResult(const QueueEntry& entry) override;

    // Ends the progress line, so that what follows starts on a line of its own.
    void Finish();

private:
    void ClearProgressLine();

    const bool onTerminal_;
    const DoubtDecision answerToDoubt_;
    TransferPace pace_;
    std::chrono::steady_clock::time_point lastShown_;
    bool progressShown_ = false;
};

}  // namespace korvel
