#include "ShellWindows.h"

#include <QCoreApplication>

#include "StartWindow.h"
#include "gui/DecryptWindow.h"
#include "gui/EncryptWindow.h"
#include "gui/SourceDropTarget.h"

namespace korvel {

ShellWindows::ShellWindows(WindowDialogs& dialogs, HelpOpener& help)
    : dialogs_(dialogs), help_(help) {}

ShellWindows::~ShellWindows() {
    // Deleting a window runs no close handler, which is what ending the program requires.
    delete startWindow_.data();
    delete encryptWindow_.data();
    delete decryptWindow_.data();
}

void ShellWindows::ShowMainWindow() {
    if (startWindow_) return;  // each window is shown at most once
    startWindow_ = new StartWindow(*this);
    startWindow_->Load();
    startWindow_->show();
}

void ShellWindows::ShowEncryptWindow() {
    if (encryptWindow_) return;
    encryptWindow_ = new korvel::EncryptWindow(dialogs_, help_);
    encryptWindow_->show();
    HandOverFiles(*encryptWindow_);
}

void ShellWindows::ShowDecryptWindow() {
    if (decryptWindow_) return;
    decryptWindow_ = new korvel::DecryptWindow(dialogs_, help_);
    decryptWindow_->show();
    HandOverFiles(*decryptWindow_);
}

void ShellWindows::HandOverFiles(QWidget& window) {
    if (files_.isEmpty()) return;
    if (auto* dropTarget = window.findChild<SourceDropTarget*>()) dropTarget->TakeFiles(files_);
    files_.clear();
}

void ShellWindows::TakeFilesFromSecondStart(const QList<QUrl>& files) {
    files_ = files;
    QWidget* working = encryptWindow_ ? encryptWindow_.data() : decryptWindow_.data();
    QWidget* front = working ? working : startWindow_.data();
    if (front) {
        front->showNormal();
        front->raise();
        front->activateWindow();
    }
    if (working) HandOverFiles(*working);
}

void ShellWindows::EndProgramAtOnce() {
    // exit() leaves the event loop without asking any window to close first, unlike quit().
    QCoreApplication::exit(0);
}

}  // namespace korvel
