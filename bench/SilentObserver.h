#pragma once

#include <string>

#include "run/RunNotifications.h"

namespace korvel::bench {

// Lets a run go on without a window: no boxes, No to any cancel question. Keeps the last notice.
class SilentObserver : public RunNotifications {
public:
    void ShowNotice(const std::string& text, NoticeKind) override { lastNotice = text; }
    void EnterProgressMode() override {}
    void ShowPercent(int) override {}
    CancelAnswer AskCancel(const std::string&, const std::string&) override {
        return CancelAnswer::No;
    }
    void LeaveProgressMode(LeaveStep, LeaveReason) override {}

    std::string lastNotice;
};

}  // namespace korvel::bench
