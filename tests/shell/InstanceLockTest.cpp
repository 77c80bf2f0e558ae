#include "shell/InstanceLock.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace korvel {
namespace {

// Sets a lock file's modification time. Windows shares a held lock file for reading only; there
// the time goes through a handle that asks for attribute access alone, which sharing allows.
bool Backdate(const QString& path, const QDateTime& time) {
#ifdef Q_OS_WIN
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    HANDLE file = CreateFileW(native.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    constexpr qint64 kMsecsFrom1601To1970 = 11644473600000;
    const quint64 ticks = quint64(time.toMSecsSinceEpoch() + kMsecsFrom1601To1970) * 10000;
    const FILETIME written{DWORD(ticks & 0xffffffffu), DWORD(ticks >> 32)};
    const bool set = SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return set;
#else
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(time, QFileDevice::FileModificationTime);
#endif
}

class InstanceLockTest : public ::testing::Test {
protected:
    QString LockPath() const { return folder_.filePath(QStringLiteral("korvel.lock")); }

    // Starts the helper process and waits until it holds or has left the lock.
    std::unique_ptr<QProcess> StartHolder(const QString& mode) {
        auto holder = std::make_unique<QProcess>();
        holder->start(QStringLiteral(KORVEL_LOCK_HOLDER), {LockPath(), mode});
        EXPECT_TRUE(holder->waitForStarted());
        EXPECT_TRUE(holder->waitForReadyRead(10000));
        EXPECT_EQ(holder->readLine().trimmed(), "locked");
        return holder;
    }

    static void StopHolder(QProcess& holder) {
        holder.closeWriteChannel();
        ASSERT_TRUE(holder.waitForFinished(10000));
        EXPECT_EQ(holder.exitCode(), 0);
    }

    QTemporaryDir folder_;
};

TEST_F(InstanceLockTest, SecondInstanceSeesTheFirstWhichCarriesOn) {
    InstanceLock first(LockPath());
    ASSERT_FALSE(first.AnotherInstanceRuns());
    {
        InstanceLock second(LockPath());
        EXPECT_TRUE(second.AnotherInstanceRuns());
        EXPECT_TRUE(second.AnotherInstanceRuns()) << "the answer must not change when asked again";
    }
    // The refused start must leave the first instance's lock in place.
    EXPECT_FALSE(first.AnotherInstanceRuns());
    InstanceLock third(LockPath());
    EXPECT_TRUE(third.AnotherInstanceRuns());
}

TEST_F(InstanceLockTest, LockIsFreeAgainOnceTheInstanceEnds) {
    {
        InstanceLock first(LockPath());
        ASSERT_FALSE(first.AnotherInstanceRuns());
    }
    InstanceLock next(LockPath());
    EXPECT_FALSE(next.AnotherInstanceRuns());
}

TEST_F(InstanceLockTest, InstanceInAnotherProcessBlocksUntilItEnds) {
    auto holder = StartHolder(QStringLiteral("hold"));
    {
        InstanceLock second(LockPath());
        EXPECT_TRUE(second.AnotherInstanceRuns());
    }
    StopHolder(*holder);
    InstanceLock afterwards(LockPath());
    EXPECT_FALSE(afterwards.AnotherInstanceRuns());
}

TEST_F(InstanceLockTest, LongRunningInstanceIsNotTakenForStale) {
    auto holder = StartHolder(QStringLiteral("hold"));
    // An instance that has run for a day must still block a second start.
    ASSERT_TRUE(Backdate(LockPath(), QDateTime::currentDateTime().addDays(-1)));

    InstanceLock second(LockPath());
    EXPECT_TRUE(second.AnotherInstanceRuns());
    StopHolder(*holder);
}

TEST_F(InstanceLockTest, LockLeftByCrashedInstanceDoesNotBlock) {
    auto holder = StartHolder(QStringLiteral("crash"));
    ASSERT_TRUE(holder->waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(LockPath())) << "the crashed helper should leave its lock behind";

    InstanceLock next(LockPath());
    EXPECT_FALSE(next.AnotherInstanceRuns());
    InstanceLock after(LockPath());
    EXPECT_TRUE(after.AnotherInstanceRuns()) << "the stale lock must have been taken over";
}

TEST_F(InstanceLockTest, LockLeftByEarlierProcessWithOurIdDoesNotBlock) {
    QByteArray leftover;
    {
        QLockFile earlier(LockPath());
        ASSERT_TRUE(earlier.tryLock(0));
        QFile file(LockPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        leftover = file.readAll();
    }
    // The lock file as a crashed instance that had this process's id left it.
    QFile file(LockPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(leftover);
    file.close();

    InstanceLock next(LockPath());
    EXPECT_FALSE(next.AnotherInstanceRuns());
    InstanceLock second(LockPath());
    EXPECT_TRUE(second.AnotherInstanceRuns()) << "the lock taken over must hold";
}

TEST_F(InstanceLockTest, UnusableLockFolderDoesNotPreventStarting) {
    InstanceLock lock(folder_.filePath(QStringLiteral("missing/folder/korvel.lock")));
    EXPECT_FALSE(lock.AnotherInstanceRuns());
}

#ifdef Q_OS_WIN
// The lock lives in the user's own local application data, not loose in the home folder, and
// the folder is made on first use.
TEST(DefaultInstanceLock, LiesInTheUsersLocalApplicationDataAndWorks) {
    const QString path = InstanceLock::DefaultLockFilePath();
    const QString localData =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/';
    EXPECT_TRUE(path.startsWith(localData, Qt::CaseInsensitive)) << path.toStdString();
    EXPECT_NE(QFileInfo(path).absolutePath(), QDir::homePath()) << path.toStdString();

    InstanceLock first(path);
    ASSERT_FALSE(first.AnotherInstanceRuns());
    InstanceLock second(path);
    EXPECT_TRUE(second.AnotherInstanceRuns());
}
#endif

}  // namespace
}  // namespace korvel
