#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace korvel {

class WindowDialogs;

// One file-dialog object that serves both browse buttons of a window. Its Filter and FileName
// keep their values from one dialog to the next; a confirmed choice replaces FileName, a cancel
// leaves it as it was.
class CommonFileDialog {
public:
    CommonFileDialog(WindowDialogs& dialogs, QWidget* owner);

    // The Open dialog lets the user select several files. One file chosen replaces FileName;
    // several are returned and leave FileName as it was, as does a cancel (nothing returned).
    QStringList ShowOpen();
    void ShowSave();

    QString Filter;
    QString FileName;

private:
    WindowDialogs& dialogs_;
    QWidget* owner_;
};

}  // namespace korvel
