#include "ProgressPanel.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>

#include "RunMessages.h"
#include "WindowControls.h"
#include "WindowDialogs.h"

namespace korvel {

ProgressPanel::ProgressPanel(const WindowControls& controls, WindowDialogs& dialogs,
                             QWidget& window)
    : controls_(controls), dialogs_(dialogs), window_(window) {
    QObject::connect(controls_.Get<QPushButton>(ControlId::Command7), &QPushButton::clicked,
                     &window_, [this] { Command7_Click(); });
}

void ProgressPanel::setMinimumPumpInterval(std::chrono::milliseconds interval) {
    pumpInterval_ = interval;
}

void ProgressPanel::Command7_Click() { CancelRequested = true; }

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
    SetShown(ControlId::Label5, true);
    SetShown(ControlId::Command7, true);
    SetShown(ControlId::ProgressBar1, true);
    auto* bar = controls_.Get<QProgressBar>(ControlId::ProgressBar1);
    bar->setMaximum(100);
    bar->setMinimum(0);
    SetShown(ControlId::Check1, false);
    SetRunControlsEnabled(false);
    lastPump_.invalidate();  // the first update lets events through at once
}

void ProgressPanel::ShowPercent(int percent) {
    controls_.Get<QProgressBar>(ControlId::ProgressBar1)->setValue(percent);
}

CancelAnswer ProgressPanel::AskCancel(const std::string& title, const std::string& text) {
    const bool yes =
        dialogs_.AskYesNo(&window_, QString::fromStdString(title), QString::fromStdString(text));
    return yes ? CancelAnswer::Yes : CancelAnswer::No;
}

// Updates come every 1000 bytes, far more often than anyone can click; handling events at each
// of them would cost more than the cipher itself, so they are let through at most every
// pumpInterval_.
bool ProgressPanel::PumpEvents() {
    if (stopping_) return false;
    if (PumpIsDue()) {
        QCoreApplication::processEvents();
        lastPump_.start();
        updatesSinceClockRead_ = 0;
    }
    return !stopping_;
}

// Even reading the clock at every update costs a measurable share of a large run, so it is read
// only every few updates (a few tens of microseconds of cipher work apart).
bool ProgressPanel::PumpIsDue() {
    if (!lastPump_.isValid() || pumpInterval_.count() == 0) return true;
    if (++updatesSinceClockRead_ < kUpdatesPerClockRead) return false;
    updatesSinceClockRead_ = 0;
    return lastPump_.elapsed() >= pumpInterval_.count();
}

void ProgressPanel::LeaveProgressMode(LeaveHalf half, LeaveReason reason) {
    if (half == LeaveHalf::RestoreControls) {
        SetShown(ControlId::Check1, true);
        SetRunControlsEnabled(true);
        return;
    }
    SetShown(ControlId::ProgressBar1, false);
    if (reason == LeaveReason::Completed) {
        SetShown(ControlId::Label5, false);
        SetShown(ControlId::Command7, false);
    } else {
        SetShown(ControlId::Command7, false);
        SetShown(ControlId::Label5, false);
    }
}

void ProgressPanel::SetRunControlsEnabled(bool enabled) {
    for (ControlId id :
         {ControlId::Command6, ControlId::Command4, ControlId::Command1, ControlId::Command2}) {
        controls_.Get(id)->setEnabled(enabled);
    }
}

void ProgressPanel::SetShown(ControlId id, bool shown) const {
    controls_.Get(id)->setVisible(shown);
}

}  // namespace korvel
