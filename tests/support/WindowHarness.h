#pragma once

#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>

#include "FakeHelpOpener.h"
#include "FakeWindowDialogs.h"
#include "Printers.h"
#include "WriteLatch.h"
#include "gui/CipherWindow.h"

class QAbstractButton;
class QLineEdit;

namespace korvel::testing {

// One encrypt or decrypt window with fake dialogs, a fake help opener and a folder of its own
// that holds a key file "uae" and a help file "help.chm" and serves as the program's folder.
class WindowHarness {
public:
    explicit WindowHarness(Direction direction);
    ~WindowHarness();

    CipherWindow& window() { return *window_; }
    bool windowAlive() const { return !window_.isNull(); }
    QString folder() const { return folder_.path(); }
    QString pathInFolder(const QString& name) const { return folder_.filePath(name); }

    template <typename T>
    T* control(const char* name) const {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }
    QAbstractButton* button(const char* name) const;
    QLineEdit* box(const char* name) const;

    // Shows the window and waits until it is the active window.
    void showAndActivate();
    void click(const char* buttonName);
    // Clicks the run button and waits until the run, working on its own thread, has ended; false
    // when it has not ended within a minute.
    bool run();
    bool waitForRunEnd();
    // Clicks the run button and waits until the run is held by the latch, with everything it sent
    // before shown in the window.
    bool startHeldRun(WriteLatch& latch);
    void confirmPassword(const QString& password);
    // Makes a source file of `size` bytes and chooses it and a target through the dialogs.
    void chooseFiles(const QString& sourceName, qint64 size, const QString& targetName);

    FakeWindowDialogs dialogs;
    FakeHelpOpener help;
    int programEnds = 0;

private:
    QTemporaryDir folder_;
    QPointer<CipherWindow> window_;
};

// Writes `size` bytes of a fixed pseudo-random pattern to a file.
void WriteFile(const QString& path, qint64 size);

}  // namespace korvel::testing
