#include "shell/SplashWindow.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLockFile>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "EventLoopRun.h"
#include "FakeNavigator.h"
#include "shell/InstanceLock.h"

namespace korvel {
namespace {

class SplashWindowTest : public ::testing::Test {
protected:
    SplashWindowTest()
        : lockPath_(folder_.filePath(QStringLiteral("korvel.lock"))),
          instanceLock_(lockPath_),
          splash_(new SplashWindow(instanceLock_, navigator_)) {}

    ~SplashWindowTest() override { delete splash_.data(); }

    // Lets the splash's deferred deletion after an unload happen.
    static void FinishUnloads() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void LoadAndShow() {
        ASSERT_TRUE(splash_->Load());
        splash_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(splash_));
    }

    QTemporaryDir folder_;
    QString lockPath_;
    InstanceLock instanceLock_;
    FakeNavigator navigator_;
    QPointer<SplashWindow> splash_;
};

TEST_F(SplashWindowTest, SecondInstanceEndsBeforeAnythingIsShown) {
    QLockFile runningInstance(lockPath_);
    ASSERT_TRUE(runningInstance.tryLock(0));

    EXPECT_FALSE(splash_->Load());
    EXPECT_FALSE(splash_->isVisible());
    EXPECT_FALSE(splash_->SplashTimer().isActive());
    EXPECT_EQ(navigator_.TotalShown(), 0);
}

TEST_F(SplashWindowTest, LoadCentresTheSplashAndStartsItsTimer) {
    ASSERT_TRUE(splash_->Load());
    EXPECT_TRUE(splash_->SplashTimer().isActive());
    EXPECT_EQ(splash_->SplashTimer().interval(), 4000);

    const QRect screen = splash_->screen()->geometry();
    const QRect frame = splash_->frameGeometry();
    EXPECT_EQ(frame.left() - screen.left(), screen.right() - frame.right());
    EXPECT_EQ(frame.top() - screen.top(), screen.bottom() - frame.bottom());
    EXPECT_EQ(navigator_.TotalShown(), 0) << "loading alone must not hand over";
}

TEST_F(SplashWindowTest, IsAFramelessSplashWithoutTaskbarButton) {
    EXPECT_EQ(splash_->windowType(), Qt::SplashScreen);
    EXPECT_TRUE(splash_->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash_->size(), QSize(644, 480));
    EXPECT_EQ(splash_->minimumSize(), splash_->maximumSize());
}

TEST_F(SplashWindowTest, PictureIsDrawnUnscaledFromTheTopLeft) {
    const QImage picture =
        QImage(QStringLiteral(":/pictures/splash.png")).convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) GTEST_SKIP() << "splash picture resource not linked";
    ASSERT_EQ(picture.size(), QSize(646, 480));

    const QImage shown = splash_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(644, 480));
    // A scaled picture would differ from the original along the right-hand columns.
    for (const QPoint point : {QPoint(0, 0), QPoint(321, 60), QPoint(643, 0), QPoint(643, 479),
                               QPoint(600, 240), QPoint(0, 479)}) {
        EXPECT_EQ(shown.pixel(point), picture.pixel(point)) << point.x() << "," << point.y();
    }
}

TEST_F(SplashWindowTest, ClickHandsOverExactlyOnce) {
    LoadAndShow();
    navigator_.watchedWindow = splash_;
    QTest::mouseClick(splash_, Qt::RightButton, {}, QPoint(643, 479));
    EXPECT_EQ(navigator_.mainShown, 1);
    EXPECT_TRUE(navigator_.watchedWindowVisibleAtShow) << "the main window comes first";
    EXPECT_FALSE(splash_->isVisible());
    EXPECT_FALSE(splash_->SplashTimer().isActive());

    // A second click arriving before the splash is gone changes nothing.
    QTest::mouseClick(splash_, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(navigator_.mainShown, 1);

    FinishUnloads();
    EXPECT_TRUE(splash_.isNull()) << "the splash, and its timer with it, must be unloaded";
    EXPECT_EQ(navigator_.programEnded, 0);
}

TEST_F(SplashWindowTest, TimerAloneHandsOverOnce) {
    LoadAndShow();
    ASSERT_EQ(splash_->SplashTimer().interval(), 4000);
    splash_->SplashTimer().setInterval(5);  // the wait itself is not under test
    EXPECT_TRUE(QTest::qWaitFor([&] { return navigator_.mainShown > 0; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return splash_.isNull(); }, 10000));
    QTest::qWait(50);
    EXPECT_EQ(navigator_.mainShown, 1);
}

TEST_F(SplashWindowTest, SplashClosedOtherwiseEndsTheProgramWithoutMainWindow) {
    LoadAndShow();
    const int exitCode = RunProgramLoop([&] { splash_->close(); });
    EXPECT_NE(exitCode, kProgramStillRunning);
    EXPECT_EQ(navigator_.TotalShown(), 0);
    EXPECT_TRUE(splash_.isNull());
}

}  // namespace
}  // namespace korvel
