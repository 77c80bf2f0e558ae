#include "FileHandOver.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace korvel {

namespace {

constexpr int kWaitMilliseconds = 3000;

QByteArray Encode(const QList<QUrl>& files) {
    QByteArray bytes;
    for (const QUrl& file : files) bytes += file.toEncoded() + '\n';
    return bytes;
}

QList<QUrl> Decode(const QByteArray& bytes) {
    QList<QUrl> files;
    for (const QByteArray& line : bytes.split('\n')) {
        if (!line.isEmpty()) files << QUrl::fromEncoded(line);
    }
    return files;
}

}  // namespace

FileHandOver::FileHandOver(const QString& name, FilesArrived arrived, QObject* parent)
    : QObject(parent), arrived_(std::move(arrived)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &FileHandOver::TakeConnection);
    // Only the copy that holds the instance lock listens, so a socket already there is a leftover.
    if (!server_.listen(name)) {
        QLocalServer::removeServer(name);
        server_.listen(name);
    }
}

void FileHandOver::TakeConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readChannelFinished, this, [this, socket] {
            const QList<QUrl> files = Decode(socket->readAll());
            if (!files.isEmpty()) arrived_(files);
        });
    }
}

bool FileHandOver::SendToRunningCopy(const QString& name, const QList<QUrl>& files) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kWaitMilliseconds)) return false;
    socket.write(Encode(files));
    const bool written =
        socket.waitForBytesWritten(kWaitMilliseconds) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kWaitMilliseconds);
    }
    return written;
}

// A user's own name: the socket of one user's copy is never another user's. Where the system
// keeps a private folder for the user, the socket lies there.
QString FileHandOver::DefaultName() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QByteArray user = QDir::homePath().toUtf8();
    QString name = QStringLiteral("korvel-") +
                   QString::fromLatin1(
                       QCryptographicHash::hash(user, QCryptographicHash::Sha1).toHex().left(12));
    if (runtime.isEmpty() || runtime == QDir::homePath()) return name;
    return QDir(runtime).filePath(name);
}

}  // namespace korvel
