#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QDropEvent;
class QMimeData;
class QPoint;
class QUrl;
class QWidget;

namespace korvel {

class WindowDialogs;

// Lets the user drop one file from the desktop or a file manager onto a window to make it the
// source, as if it had been chosen in the Open dialog. Folders, several files at once and files
// that are not on this computer are turned down with a short message. Nothing is offered over the
// target box (a dropped file must never become a target, which the Save dialog's question about
// replacing it protects), nor while the window is busy. Owned by the window.
class SourceDropTarget : public QObject {
    Q_OBJECT
public:
    using BusyCheck = std::function<bool()>;
    using SourceSetter = std::function<void(const QString& nativePath)>;

    SourceDropTarget(QWidget& window, const QWidget& targetBox, WindowDialogs& dialogs,
                     BusyCheck busy, SourceSetter setSource);

    // Takes files handed to the program from outside (its command line) exactly as a drop of
    // them: one local file becomes the source, anything else is turned down with a message.
    void TakeFiles(const QList<QUrl>& files);

    // What the user is told about a drop that is turned down.
    static const QString kSeveralFiles;
    static const QString kFolder;
    static const QString kNotOnThisComputer;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Offers(const QPoint& position, const QMimeData* data) const;
    void Take(QDropEvent& event);
    void TellLater(const QString& text);

    QWidget& window_;
    const QWidget& targetBox_;
    WindowDialogs& dialogs_;
    BusyCheck busy_;
    SourceSetter setSource_;
};

}  // namespace korvel
