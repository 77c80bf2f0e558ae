#include <QDir>
#include <QRandomGenerator>
#include <QTest>
#include <thread>

#include "gtest/gtest.h"
#include "shell/FileHandOver.h"

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace korvel::testing {
namespace {

// What a killed copy leaves behind: a socket nobody listens on.
void LeaveStaleSocket(const QString& path) {
#ifndef _WIN32
    const int handle = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    std::copy(bytes.begin(), bytes.end(), address.sun_path);
    ASSERT_EQ(::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(handle);
#else
    (void)path;
#endif
}

// A second start's files reach the running copy in one piece and in order, even when a killed
// copy left its socket behind; with no copy listening the second start is told so.
TEST(FileHandOverTest, SecondStartsHandTheirFilesToTheRunningCopy) {
    const struct {
        const char* label;
        bool staleSocket;
        QList<QUrl> files;
    } rows[] = {
        {"three files",
         false,
         {QUrl::fromLocalFile("/tmp/a.txt"), QUrl::fromLocalFile("/tmp/报告 1.pdf"),
          QUrl::fromLocalFile("/tmp/c d/e")}},
        {"after a killed copy", true, {QUrl::fromLocalFile("/tmp/one.bin")}},
    };
    for (const auto& row : rows) {
        const QString name =
            QStringLiteral("korvel-test-%1").arg(QRandomGenerator::global()->generate());
        if (row.staleSocket) LeaveStaleSocket(QDir::temp().filePath(name));
        QList<QList<QUrl>> arrived;
        FileHandOver running(name, [&](const QList<QUrl>& files) { arrived << files; });
        ASSERT_TRUE(running.Listening()) << row.label;

        bool sent = false;
        std::thread secondStart([&] { sent = FileHandOver::SendToRunningCopy(name, row.files); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return !arrived.isEmpty(); }, 10000)) << row.label;
        secondStart.join();
        EXPECT_TRUE(sent) << row.label;
        EXPECT_EQ(arrived, QList<QList<QUrl>>{row.files}) << row.label;
    }
    EXPECT_FALSE(FileHandOver::SendToRunningCopy(QStringLiteral("korvel-test-nobody"),
                                                 {QUrl::fromLocalFile("/tmp/x")}));
}

}  // namespace
}  // namespace korvel::testing
