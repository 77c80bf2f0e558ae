#pragma once

#include <functional>
#include <string>

#include "ControlTable.h"
#include "run/RunNotifications.h"

class QProgressBar;
class QWidget;

namespace korvel {

class WindowControls;
class WindowDialogs;

// The run's side of a cipher window, and the observer that the run's notifications reach on the
// window's thread: the progress text, the progress bar and the cancel button. In progress mode it
// shows them, hides the show-password box and disables the controls that would start another run
// or change this one's inputs. It shows the run's boxes and passes a click on the cancel button
// on to the run.
class ProgressPanel : public RunNotifications {
public:
    ProgressPanel(const WindowControls& controls, WindowDialogs& dialogs, QWidget& window,
                  std::function<void()> cancelClicked);

    void ShowNotice(const std::string& text, NoticeKind kind) override;
    void EnterProgressMode() override;
    void ShowPercent(int percent) override;
    CancelAnswer AskCancel(const std::string& title, const std::string& text) override;
    void LeaveProgressMode(LeaveStep step, LeaveReason reason) override;

private:
    void SetRunControlsEnabled(bool enabled);
    void SetShown(ControlId id, bool shown) const;

    const WindowControls& controls_;
    WindowDialogs& dialogs_;
    QWidget& window_;
    QProgressBar* bar_;  // looked up once: it follows every progress update
    int percentShown_ = -1;
};

}  // namespace korvel
