#include "InstanceLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace korvel {

namespace {

const char kLockFileName[] = "korvel.lock";

QString PerUserTempFolder() {
#ifdef Q_OS_UNIX
    // The temp folder is shared between users; one user's instance must not block another's.
    QString folder = QDir::tempPath() + QStringLiteral("/korvel-%1").arg(::getuid());
    QDir().mkpath(folder);
    return folder;
#else
    return QDir::tempPath();
#endif
}

}  // namespace

InstanceLock::InstanceLock(const QString& lockFilePath) : lockFile_(lockFilePath) {
    // The default stale time of 30 s would let a second start steal the lock from an instance
    // that has simply been running for a while. With 0 a lock only counts as stale when the
    // process that made it is gone.
    lockFile_.setStaleLockTime(0);
}

QString InstanceLock::DefaultLockFilePath() {
#ifdef Q_OS_WIN
    // Windows' runtime location is the user's home folder itself; the lock goes into the
    // program's own folder under the user's local application data instead.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (!folder.isEmpty() && !QDir().mkpath(folder)) folder.clear();
#else
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#endif
    if (folder.isEmpty()) folder = PerUserTempFolder();
    return QDir(folder).filePath(QString::fromLatin1(kLockFileName));
}

bool InstanceLock::AnotherInstanceRuns() {
    if (!answer_) {
        bool locked = lockFile_.tryLock(0);
        if (!locked && LeftByEarlierProcessWithOurId()) {
            locked = lockFile_.removeStaleLockFile() && lockFile_.tryLock(0);
        }
        // Only a lock held by a live process means another instance. If the lock cannot be
        // made at all (folder missing or not writable), starting is better than refusing.
        answer_ = !locked && lockFile_.error() == QLockFile::LockFailedError;
    }
    return *answer_;
}

// After a crash or a power cut the next start may get the same process id as the instance that
// left the lock (wine hands out ids in the same order every time), and the lock then looks held
// by a live instance of this program. A lock that names this very process is such a leftover;
// removing it still fails while a lock object of this process really holds it.
bool InstanceLock::LeftByEarlierProcessWithOurId() {
    qint64 pid = 0;
    QString hostName;
    QString appName;
    return lockFile_.error() == QLockFile::LockFailedError &&
           lockFile_.getLockInfo(&pid, &hostName, &appName) &&
           pid == QCoreApplication::applicationPid();
}

}  // namespace korvel
