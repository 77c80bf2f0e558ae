#pragma once

#include <QtGlobal>
#include <memory>

#include "gui/HelpOpener.h"

namespace korvel {

class ChmViewerWindow;
class WindowDialogs;

// Shows help.chm: on Windows with the system's HTML Help viewer, elsewhere in one built-in
// viewer window that is reused on every request. A missing or unreadable file is reported in a
// warning box that names the file.
class ChmHelpOpener : public HelpOpener {
public:
    explicit ChmHelpOpener(WindowDialogs& dialogs);
    ~ChmHelpOpener() override;

    void ShowHelp(const QString& helpFile, QWidget* requestingWindow) override;

    // The built-in viewer, once it has been shown; nullptr before, and always on Windows.
    ChmViewerWindow* Viewer() const;

    static QString MissingFileText(const QString& helpFile);
    static QString UnreadableFileText(const QString& helpFile);

private:
#ifdef Q_OS_WIN
    bool ShowInSystemViewer(const QString& helpFile);
#else
    bool ShowInBuiltInViewer(const QString& helpFile, QWidget* requestingWindow);
#endif

    void ShowProblem(const QString& text, QWidget* requestingWindow);

    WindowDialogs& dialogs_;
#ifndef Q_OS_WIN
    // The built-in viewer is compiled only where there is no system viewer for .chm files.
    std::unique_ptr<ChmViewerWindow> viewer_;
#endif
};

}  // namespace korvel
