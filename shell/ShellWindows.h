#pragma once

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include "Form3.h"
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
    // them as a drop once it is shown.
    void HandFilesToWorkingWindow(const QList<QUrl>& files) { files_ = files; }

    void ShowMainWindow() override;
    void ShowEncryptWindow() override;
    void ShowDecryptWindow() override;
    void EndProgramAtOnce() override;

    Form3* MainWindow() const { return form3_; }
    QWidget* EncryptWindow() const { return form4_; }
    QWidget* DecryptWindow() const { return form5_; }

private:
    void HandOverFiles(QWidget& window);

    WindowDialogs& dialogs_;
    HelpOpener& help_;
    QPointer<Form3> form3_;
    QPointer<QWidget> form4_;
    QPointer<QWidget> form5_;
    QList<QUrl> files_;
};

}  // namespace korvel
