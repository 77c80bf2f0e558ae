#include "ShellWindows.h"

#include <QCoreApplication>

#include "CommandLineFiles.h"
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
    if (CommandLineFiles::AreOneAgeFile(files_)) return ShowDecryptWindow();
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
    if (CommandLineFiles::AreOneAgeFile(files)) return TakeAgeFileFromSecondStart();
    QWidget* working = encryptWindow_ ? encryptWindow_.data() : decryptWindow_.data();
    QWidget* front = working ? working : startWindow_.data();
    if (front) {
        front->showNormal();
        front->raise();
        front->activateWindow();
    }
    if (working) HandOverFiles(*working);
}

// The main window, if shown, gives way to the decrypt window as after a click on "解密"; an
// encrypt window stays as it is, beside it.
void ShellWindows::TakeAgeFileFromSecondStart() {
    // While the splash is still shown it keeps the file, and leads to the decrypt window with it.
    if (!startWindow_ && !encryptWindow_ && !decryptWindow_) return;
    if (decryptWindow_) {
        HandOverFiles(*decryptWindow_);
    } else {
        ShowDecryptWindow();
        if (startWindow_) startWindow_->Unload();
    }
    decryptWindow_->showNormal();
    decryptWindow_->raise();
    decryptWindow_->activateWindow();
}

void ShellWindows::EndProgramAtOnce() {
    // exit() leaves the event loop without asking any window to close first, unlike quit().
    QCoreApplication::exit(0);
}

}  // namespace korvel
