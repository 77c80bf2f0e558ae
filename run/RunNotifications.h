#pragma once

#include <string>

namespace korvel {

enum class NoticeKind { Information, Warning };

enum class CancelAnswer { Yes, No };

// How a run left progress mode; the progress text and the cancel button go in a different order
// for each.
enum class LeaveReason { Completed, Cancelled };

// Leaving progress mode comes in two steps. After a cancel the run closes its files and removes
// its temporary target between them; otherwise they follow each other directly.
enum class LeaveStep {
    FilesOpen,   // what starts or changes a run is usable again
    FilesClosed  // the progress display goes away
};

// What a run tells whoever drives it, in order, on the thread that called CipherRun: a window
// (through a hand-over to its own thread), a queue of files or the console program.
class RunNotifications {
public:
    virtual ~RunNotifications() = default;

    // A check failed, a file failed, or the run completed. The run waits until the notice has
    // been taken in (a window's box closed).
    virtual void ShowNotice(const std::string& text, NoticeKind kind) = 0;
    // The source is longer than kQuietRunLimit: progress follows, and a cancel is asked about.
    virtual void EnterProgressMode() = 0;
    // After data bytes 1001, 2001, 3001, ... of a run in progress mode.
    virtual void ShowPercent(int percent) = 0;
    // A progress update found a cancel requested; title and text depend on the run's direction.
    // The run waits for the answer.
    virtual CancelAnswer AskCancel(const std::string& title, const std::string& text) = 0;
    // The end of every progress update that does not cancel: the moment the receiver lets its
    // pending events through. One on another thread hands over what waits for it here.
    virtual void PumpEvents() {}
    virtual void LeaveProgressMode(LeaveStep step, LeaveReason reason) = 0;
};

}  // namespace korvel
