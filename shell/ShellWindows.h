#pragma once

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include "StartWindow.h"
#include "WindowNavigator.h"

namespace korvel {

class HelpOpener;
class WindowDialogs;

// The real hand-overs: creates the main, encrypt and decrypt windows on demand and owns
// whichever of them are still alive when the program ends.
class ShellWindows : public WindowNavigator {
public:
    ShellWindows(WindowDialogs& dialogs, HelpOpener& help);
    ~ShellWindows() override;
    ShellWindows(const ShellWindows&) = delete;
    ShellWindows& operator=(const ShellWindows&) = delete;

    // Files from the command line: the encrypt or decrypt window, whichever is opened, takes
    // them as a drop once it is shown. One age file opens the decrypt window instead of the main
    // window.
    void HandFilesToWorkingWindow(const QList<QUrl>& files) { files_ = files; }
    // Files a second start handed over: the open encrypt or decrypt window comes forward and
    // takes them as a drop; before one is open, the one the user opens takes them. One age file
    // goes to the decrypt window, opened for it if need be.
    void TakeFilesFromSecondStart(const QList<QUrl>& files);

    void ShowMainWindow() override;
    void ShowEncryptWindow() override;
    void ShowDecryptWindow() override;
    void EndProgramAtOnce() override;

    StartWindow* MainWindow() const { return startWindow_; }
    QWidget* EncryptWindow() const { return encryptWindow_; }
    QWidget* DecryptWindow() const { return decryptWindow_; }

private:
    void HandOverFiles(QWidget& window);
    void TakeAgeFileFromSecondStart();

    WindowDialogs& dialogs_;
    HelpOpener& help_;
    QPointer<StartWindow> startWindow_;
    QPointer<QWidget> encryptWindow_;
    QPointer<QWidget> decryptWindow_;
    QList<QUrl> files_;
};

}  // namespace korvel
