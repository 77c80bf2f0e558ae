#pragma once

#include <QString>

class QWidget;

namespace korvel {

class WindowDialogs;

// One file-dialog object that serves both browse buttons of a window. Its Filter and FileName
// keep their values from one dialog to the next; a confirmed choice replaces FileName, a cancel
// leaves it as it was.
class CommonFileDialog {
public:
    CommonFileDialog(WindowDialogs& dialogs, QWidget* owner);

    void ShowOpen();
    void ShowSave();

    QString Filter;
    QString FileName;

private:
    WindowDialogs& dialogs_;
    QWidget* owner_;
};

}  // namespace korvel
