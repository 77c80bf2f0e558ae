#pragma once

#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QUrl>
#include <functional>

namespace korvel {

// A second start hands the files it was given to the running copy over a local socket of the
// user's own, and ends silently. The running copy listens while it runs; a socket left behind by
// a copy that was killed does not keep it from listening.
class FileHandOver : public QObject {
public:
    using FilesArrived = std::function<void(const QList<QUrl>&)>;

    // The running copy: listens on `name` and calls `arrived` on its thread with each set of
    // files a second start sends.
    FileHandOver(const QString& name, FilesArrived arrived, QObject* parent = nullptr);

    bool Listening() const { return server_.isListening(); }

    // A second start: sends the files to the copy listening on `name`; false when none answers.
    static bool SendToRunningCopy(const QString& name, const QList<QUrl>& files);

    // The socket's name for this user.
    static QString DefaultName();

private:
    void TakeConnection();

    QLocalServer server_;
    FilesArrived arrived_;
};

}  // namespace korvel
