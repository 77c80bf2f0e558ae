#include "shell/ShellWindows.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "EventLoopRun.h"
#include "gui/DecryptWindow.h"
#include "gui/EncryptWindow.h"
#include "shell/InstanceLock.h"
#include "shell/SplashWindow.h"
#include "shell/StartWindow.h"
#include "tests/support/FakeHelpOpener.h"
#include "tests/support/FakeWindowDialogs.h"

namespace korvel {
namespace {

class ShellWindowsTest : public ::testing::Test {
protected:
    static void FinishUnloads() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The hand-overs must open no dialog: the fakes answer any as cancelled.
    testing::FakeWindowDialogs dialogs_;
    testing::FakeHelpOpener help_;
    ShellWindows windows_{dialogs_, help_};
};

TEST_F(ShellWindowsTest, EncryptButtonLeadsToTheEncryptWindowOnly) {
    windows_.ShowMainWindow();
    QPointer<StartWindow> startWindow = windows_.MainWindow();
    startWindow->EncryptButton()->click();

    ASSERT_NE(windows_.EncryptWindow(), nullptr);
    EXPECT_NE(qobject_cast<EncryptWindow*>(windows_.EncryptWindow()), nullptr);
    EXPECT_TRUE(windows_.EncryptWindow()->isVisible());
    EXPECT_EQ(windows_.DecryptWindow(), nullptr);
    EXPECT_FALSE(startWindow->isVisible());
    FinishUnloads();
    EXPECT_TRUE(startWindow.isNull());
    EXPECT_TRUE(windows_.EncryptWindow()->isVisible());
}

TEST_F(ShellWindowsTest, DecryptButtonLeadsToTheDecryptWindowOnly) {
    windows_.ShowMainWindow();
    QPointer<StartWindow> startWindow = windows_.MainWindow();
    startWindow->DecryptButton()->click();

    ASSERT_NE(windows_.DecryptWindow(), nullptr);
    EXPECT_NE(qobject_cast<DecryptWindow*>(windows_.DecryptWindow()), nullptr);
    EXPECT_TRUE(windows_.DecryptWindow()->isVisible());
    EXPECT_EQ(windows_.EncryptWindow(), nullptr);
    FinishUnloads();
    EXPECT_TRUE(startWindow.isNull());
}

TEST_F(ShellWindowsTest, WholeRoadFromSplashToEncryptWindowKeepsTheProgramRunning) {
    QTemporaryDir folder;
    InstanceLock lock(folder.filePath(QStringLiteral("korvel.lock")));
    QPointer<SplashWindow> splash = new SplashWindow(lock, windows_);
    ASSERT_TRUE(splash->Load());
    splash->show();
    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);

    const int exitCode = RunProgramLoop([&] {
        QTest::mouseClick(splash, Qt::LeftButton, {}, QPoint(20, 20));
        QTimer::singleShot(0, [&] {
            ASSERT_NE(windows_.MainWindow(), nullptr);
            windows_.MainWindow()->EncryptButton()->click();
            QTimer::singleShot(0, [] { QCoreApplication::exit(42); });
        });
    });

    EXPECT_EQ(exitCode, 42) << "the program must still be running after the hand-overs";
    EXPECT_EQ(lastWindowClosed.count(), 0);
    EXPECT_TRUE(splash.isNull());
    EXPECT_EQ(windows_.MainWindow(), nullptr);
    ASSERT_NE(windows_.EncryptWindow(), nullptr);
    EXPECT_TRUE(windows_.EncryptWindow()->isVisible());
}

TEST_F(ShellWindowsTest, UserClosingTheMainWindowEndsTheProgramAtOnce) {
    // Another visible window keeps "last window closed" from being what ends the loop.
    QWidget bystander;
    bystander.show();
    windows_.ShowMainWindow();

    const int exitCode = RunProgramLoop([&] { windows_.MainWindow()->close(); });

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(windows_.EncryptWindow(), nullptr);
    EXPECT_EQ(windows_.DecryptWindow(), nullptr);
}

}  // namespace
}  // namespace korvel
