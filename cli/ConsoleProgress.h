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
    ConsoleProgress(bool onTerminal, bool decryptDoubted);

    void EntryChanged(std::size_t index, const QueueEntry& entry) override;
    void BytesDone(std::uint64_t done, std::uint64_t total) override;
    DoubtDecision AskAboutDoubtfulResult(const QueueEntry& entry) override;

    // Ends the progress line, so that what follows starts on a line of its own.
    void Finish();

private:
    void ClearProgressLine();

    const bool onTerminal_;
    const bool decryptDoubted_;
    TransferPace pace_;
    std::chrono::steady_clock::time_point lastShown_;
    bool progressShown_ = false;
};

}  // namespace korvel
