#include "ShellWindows.h"

#include <QCoreApplication>

#include "Form3.h"
#include "Form4.h"
#include "Form5.h"
#include "SourceDropTarget.h"

namespace korvel {

ShellWindows::ShellWindows(WindowDialogs& dialogs, HelpOpener& help)
    : dialogs_(dialogs), help_(help) {}

ShellWindows::~ShellWindows() {
    // Deleting a window runs no close handler, which is what ending the program requires.
    delete form3_.data();
    delete form4_.data();
    delete form5_.data();
}

void ShellWindows::ShowMainWindow() {
    if (form3_) return;  // each window is shown at most once
    form3_ = new Form3(*this);
    form3_->Load();
    form3_->show();
}

void ShellWindows::ShowEncryptWindow() {
    if (form4_) return;
    form4_ = new Form4(dialogs_, help_);
    form4_->show();
    HandOverFiles(*form4_);
}

void ShellWindows::ShowDecryptWindow() {
    if (form5_) return;
    form5_ = new Form5(dialogs_, help_);
    form5_->show();
    HandOverFiles(*form5_);
}

void ShellWindows::HandOverFiles(QWidget& window) {
    if (files_.isEmpty()) return;
    if (auto* dropTarget = window.findChild<SourceDropTarget*>()) dropTarget->TakeFiles(files_);
    files_.clear();
}

void ShellWindows::EndProgramAtOnce() {
    // exit() leaves the event loop without asking any window to close first, unlike quit().
    QCoreApplication::exit(0);
}

}  // namespace korvel
