#pragma once

#include <QElapsedTimer>
#include <chrono>

#include "ControlTable.h"
#include "RunObserver.h"

class QWidget;

namespace korvel {

class WindowControls;
class WindowDialogs;

// The run's side of a cipher window, and the run's observer. It owns Label5, ProgressBar1 and
// Command7: in progress mode it shows them, hides Check1 and disables the controls that would
// start another run or change this one's inputs. It lets window events through while a run
// holds the thread, and stops the run once the window is closed.
class ProgressPanel : public RunObserver {
public:
    ProgressPanel(const WindowControls& controls, WindowDialogs& dialogs, QWidget& window);

    // The least time between two rounds of event handling during a run.
    void setMinimumPumpInterval(std::chrono::milliseconds interval);
    // The run stops at its next PumpEvents.
    void StopRun() { stopping_ = true; }

    void ShowNotice(const std::string& text, NoticeKind kind) override;
    void EnterProgressMode() override;
    void ShowPercent(int percent) override;
    CancelAnswer AskCancel(const std::string& title, const std::string& text) override;
    bool PumpEvents() override;
    void LeaveProgressMode(LeaveHalf half, LeaveReason reason) override;

private:
    void Command7_Click();
    bool PumpIsDue();
    void SetRunControlsEnabled(bool enabled);
    void SetShown(ControlId id, bool shown) const;

    const WindowControls& controls_;
    WindowDialogs& dialogs_;
    QWidget& window_;
    bool stopping_ = false;
    QElapsedTimer lastPump_;
    std::chrono::milliseconds pumpInterval_{10};
    static constexpr int kUpdatesPerClockRead = 16;
    int updatesSinceClockRead_ = 0;
};

}  // namespace korvel
