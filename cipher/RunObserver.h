#pragma once

#include <string>

namespace korvel {

enum class NoticeKind { Information, Warning };

enum class CancelAnswer { Yes, No };

// How a run left progress mode; the window hides Label5 and Command7 in a different order for each.
enum class LeaveReason { Completed, Cancelled };

// The two halves of leaving progress mode. After a cancel the run closes its files and removes
// its temporary target between them; otherwise they follow each other directly.
enum class LeaveHalf {
    RestoreControls,  // Check1 shown; Command6, Command4, Command1, Command2 enabled
    HideProgress      // ProgressBar1 hidden, then Label5 and Command7 in the reason's order
};

// What a run tells its window. The window implements this and owns CancelRequested, which
// Command7 sets and the run reads and clears at its progress updates.
class RunObserver {
public:
    virtual ~RunObserver() = default;

    // A modal box with the text; the run waits until it is closed.
    virtual void ShowNotice(const std::string& text, NoticeKind kind) = 0;
    virtual void EnterProgressMode() = 0;
    virtual void ShowPercent(int percent) = 0;
    // The modal cancel question; title and text depend on the run's direction.
    virtual CancelAnswer AskCancel(const std::string& title, const std::string& text) = 0;
    // Lets pending window events through. Returns false when the program is ending: the run then
    // stops at once, removes its temporary target and sends nothing more.
    virtual bool PumpEvents() = 0;
    virtual void LeaveProgressMode(LeaveHalf half, LeaveReason reason) = 0;

    bool CancelRequested = false;
};

}  // namespace korvel
