#include "ProgressPanel.h"

#include <QProgressBar>
#include <QPushButton>

#include "WindowControls.h"
#include "WindowDialogs.h"
#include "WindowTexts.h"

namespace korvel {

using enum ControlId;

ProgressPanel::ProgressPanel(const WindowControls& controls, WindowDialogs& dialogs,
                             QWidget& window, std::function<void()> cancelClicked)
    : controls_(controls),
      dialogs_(dialogs),
      window_(window),
      bar_(controls.Get<QProgressBar>(PercentBar)) {
    QObject::connect(controls_.Get<QPushButton>(CancelButton), &QPushButton::clicked, &window_,
                     std::move(cancelClicked));
}

void ProgressPanel::ShowNotice(const std::string& text, NoticeKind kind) {
    const QString title = QString::fromUtf8(kNoticeTitle);
    const QString message = QString::fromStdString(text);
    if (kind == NoticeKind::Warning) {
        dialogs_.ShowWarning(&window_, title, message);
    } else {
        dialogs_.ShowInformation(&window_, title, message);
    }
}

void ProgressPanel::EnterProgressMode() {
    SetShown(ProgressLabel, true);
    SetShown(CancelButton, true);
    SetShown(PercentBar, true);
    bar_->setMaximum(100);
    bar_->setMinimum(0);
    SetShown(ShowPasswordCheck, false);
    SetRunControlsEnabled(false);
}

// A large run reports the same percent hundreds of times in a row; the bar, which only this panel
// sets, is left alone then. A new value is painted with the window's next paint rather than at
// once, as the bar itself would: the percents of a run come in batches, and a window that falls
// behind paints the last of them once instead of each in turn.
void ProgressPanel::ShowPercent(int percent) {
    if (percent == percentShown_) return;
    bar_->setUpdatesEnabled(false);
    bar_->setValue(percent);
    bar_->setUpdatesEnabled(true);
    percentShown_ = percent;
}

CancelAnswer ProgressPanel::AskCancel(const std::string& title, const std::string& text) {
    const bool yes =
        dialogs_.AskYesNo(&window_, QString::fromStdString(title), QString::fromStdString(text));
    return yes ? CancelAnswer::Yes : CancelAnswer::No;
}

void ProgressPanel::LeaveProgressMode(LeaveStep step, LeaveReason reason) {
    if (step == LeaveStep::FilesOpen) {
        SetShown(ShowPasswordCheck, true);
        SetRunControlsEnabled(true);
        return;
    }
    SetShown(PercentBar, false);
    if (reason == LeaveReason::Completed) {
        SetShown(ProgressLabel, false);
        SetShown(CancelButton, false);
    } else {
        SetShown(CancelButton, false);
        SetShown(ProgressLabel, false);
    }
}

void ProgressPanel::SetRunControlsEnabled(bool enabled) {
    for (ControlId id : {ChangePasswordButton, RunButton, ChooseSourceButton, ChooseTargetButton}) {
        controls_.Get(id)->setEnabled(enabled);
    }
}

void ProgressPanel::SetShown(ControlId id, bool shown) const {
    controls_.Get(id)->setVisible(shown);
}

}  // namespace korvel
