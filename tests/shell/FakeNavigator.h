#pragma once

#include <QApplication>
#include <QWidget>

#include "shell/WindowNavigator.h"

namespace korvel {

// Records the hand-overs a window asks for, and which windows were visible at that moment.
class FakeNavigator : public WindowNavigator {
public:
    void ShowMainWindow() override { ++mainShown, Note(); }
    void ShowEncryptWindow() override { ++encryptShown, Note(); }
    void ShowDecryptWindow() override { ++decryptShown, Note(); }
    void EndProgramAtOnce() override { ++programEnded; }

    int TotalShown() const { return mainShown + encryptShown + decryptShown; }

    int mainShown = 0;
    int encryptShown = 0;
    int decryptShown = 0;
    int programEnded = 0;
    QWidget* watchedWindow = nullptr;
    bool watchedWindowVisibleAtShow = false;

private:
    void Note() { watchedWindowVisibleAtShow = watchedWindow && watchedWindow->isVisible(); }
};

}  // namespace korvel
