#pragma once

#include <atomic>
#include <string>

namespace korvel {

enum class NoticeKind { Information, Warning };

enum class CancelAnswer { Yes, No };

// How a run left progress mode; the window hides the progress text and the cancel button in a
// different order for each.
enum class LeaveReason { Completed, Cancelled };

// The two halves of leaving progress mode. After a cancel the run closes its files and removes
// its temporary target between them; otherwise they follow each other directly.
enum class LeaveHalf {
    RestoreControls,  // the show-password box back; the controls that start or change a run enabled
    HideProgress      // the progress bar hidden, then the progress text and the cancel button in
                      // the reason's order
};

// What a run tells its window, in order, on the thread that called CipherRun. A window on another
// thread hands the notifications over to its own.
class RunObserver {
public:
    RunObserver() = default;
    RunObserver(const RunObserver& other) : CancelRequested(other.CancelRequested.load()) {}
    RunObserver& operator=(const RunObserver& other) {
        CancelRequested = other.CancelRequested.load();
        return *this;
    }
    virtual ~RunObserver() = default;

    // A modal box with the text; the run waits until it is closed.
    virtual void ShowNotice(const std::string& text, NoticeKind kind) = 0;
    // Shows the progress display and the cancel button, hides the show-password box and disables
    // the controls that start or change a run.
    virtual void EnterProgressMode() = 0;
    virtual void ShowPercent(int percent) = 0;
    // The modal cancel question; title and text depend on the run's direction. The run waits for
    // the answer.
    virtual CancelAnswer AskCancel(const std::string& title, const std::string& text) = 0;
    // After every progress update that does not cancel. Returns false when the window is going
    // away: the run then stops at once, removes its temporary target and sends nothing more.
    virtual bool PumpEvents() = 0;
    // After the progress updates of each block of data, once that block is written.
    virtual void EndOfBlock() {}
    virtual void LeaveProgressMode(LeaveHalf half, LeaveReason reason) = 0;

    // Set by the cancel button, on any thread; read and cleared by the run at its progress updates.
    std::atomic<bool> CancelRequested = false;
};

}  // namespace korvel
