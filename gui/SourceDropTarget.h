#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QDropEvent;
class QMimeData;
class QPoint;
class QUrl;
class QWidget;

namespace korvel {

class WindowDialogs;

// Lets the user drop files from the desktop or a file manager onto a window. One file becomes the
// source, as if it had been chosen in the Open dialog; several files or folders go to the window's
// list of files as a set. Files that are not on this computer are turned down with a short message.
// Nothing is offered over the target box (a dropped file must never become a target, which the Save
// dialog's question about replacing it protects), nor while the window is busy. Owned by the
// window.
class SourceDropTarget : public QObject {
    Q_OBJECT
public:
    using BusyCheck = std::function<bool()>;
    using SourceSetter = std::function<void(const QString& nativePath)>;
    using SetTaker = std::function<void(const QStringList& nativePaths)>;

    SourceDropTarget(QWidget& window, const QWidget& targetBox, WindowDialogs& dialogs,
                     BusyCheck busy, SourceSetter setSource, SetTaker takeSet);

    // Takes files handed to the program from outside (its command line, a second start) exactly
    // as a drop of them.
    void TakeFiles(const QList<QUrl>& files);

    // What the user is told about a drop that is turned down.
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
    SetTaker takeSet_;
};

}  // namespace korvel
