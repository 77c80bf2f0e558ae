#include "ChmHelpOpener.h"

#include <QDir>
#include <QFileInfo>

#include "gui/WindowDialogs.h"
#include "gui/WindowTexts.h"

#ifdef Q_OS_WIN
#include <QDesktopServices>
#include <QUrl>
#else
#include "ChmViewerWindow.h"
#endif

namespace korvel {

ChmHelpOpener::ChmHelpOpener(WindowDialogs& dialogs) : dialogs_(dialogs) {}

ChmHelpOpener::~ChmHelpOpener() = default;

QString ChmHelpOpener::MissingFileText(const QString& helpFile) {
    return QStringLiteral("找不到帮助文件：%1").arg(QDir::toNativeSeparators(helpFile));
}

QString ChmHelpOpener::UnreadableFileText(const QString& helpFile) {
    return QStringLiteral("无法打开帮助文件：%1").arg(QDir::toNativeSeparators(helpFile));
}

ChmViewerWindow* ChmHelpOpener::Viewer() const {
#ifdef Q_OS_WIN
    return nullptr;
#else
    return viewer_.get();
#endif
}

void ChmHelpOpener::ShowHelp(const QString& helpFile, QWidget* requestingWindow) {
    if (!QFileInfo(helpFile).isFile()) {
        ShowProblem(MissingFileText(helpFile), requestingWindow);
        return;
    }
#ifdef Q_OS_WIN
    const bool shown = ShowInSystemViewer(helpFile);
#else
    const bool shown = ShowInBuiltInViewer(helpFile, requestingWindow);
#endif
    if (!shown) ShowProblem(UnreadableFileText(helpFile), requestingWindow);
}

void ChmHelpOpener::ShowProblem(const QString& text, QWidget* requestingWindow) {
    dialogs_.ShowWarning(requestingWindow, QString::fromUtf8(kNoticeTitle), text);
}

#ifdef Q_OS_WIN
// Opening the .chm through its file association starts the HTML Help viewer (hh.exe),
// which runs as its own modeless window.
bool ChmHelpOpener::ShowInSystemViewer(const QString& helpFile) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}
#else
bool ChmHelpOpener::ShowInBuiltInViewer(const QString& helpFile, QWidget* requestingWindow) {
    const bool firstShowing = viewer_ == nullptr;
    if (firstShowing) viewer_ = std::make_unique<ChmViewerWindow>();
    const QString canonical = QFileInfo(helpFile).canonicalFilePath();
    if (viewer_->FilePath() != canonical && !viewer_->OpenFile(canonical)) {
        if (firstShowing) viewer_.reset();
        return false;
    }
    if (firstShowing && requestingWindow != nullptr) {
        viewer_->move(requestingWindow->frameGeometry().center() - viewer_->rect().center());
    }
    viewer_->showNormal();
    viewer_->raise();
    viewer_->activateWindow();
    return true;
}

#endif

}  // namespace korvel
