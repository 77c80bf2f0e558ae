#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpontaneKeyEvent>
#include <QTest>

#include "gtest/gtest.h"
#include "gui/EncryptWindow.h"
#include "gui/WindowCentring.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

void Activate(QWidget& window) {
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
}

TEST(ActivationTest, PathsComeFromTheProgramFolderWithOneSeparator) {
    FakeWindowDialogs dialogs;
    FakeHelpOpener help;
    auto* window = new EncryptWindow(dialogs, help);
    const QString programFolder = QCoreApplication::applicationDirPath();
    EXPECT_EQ(window->keyFilePath(), programFolder + QStringLiteral("/uae"));
    EXPECT_EQ(window->helpFilePath(), programFolder + QStringLiteral("/help.chm"));

    window->overrideApplicationFolder(QStringLiteral("/"));
    EXPECT_EQ(window->keyFilePath(), programFolder + QStringLiteral("/uae"))
        << "the paths change only at an activation";
    Activate(*window);
    EXPECT_EQ(window->keyFilePath(), QStringLiteral("/uae"));
    EXPECT_EQ(window->helpFilePath(), QStringLiteral("/help.chm"));
    delete window;
}

TEST(HelpTest, HelpButtonPostsF1AndDoesNotWaitForIt) {
    WindowHarness harness(Direction::Encrypt);
    harness.showAndActivate();
    harness.click("Command5");
    EXPECT_TRUE(harness.help.shownFiles.empty()) << "handled before the click returned";
    QCoreApplication::processEvents();
    EXPECT_EQ(harness.help.shownFiles,
              QStringList{harness.pathInFolder(QStringLiteral("help.chm"))});
}

TEST(HelpTest, F1InTheWindowShowsTheHelpFileFromAnyControl) {
    WindowHarness harness(Direction::Decrypt);
    harness.showAndActivate();
    QTest::keyClick(harness.box("Text3"), Qt::Key_F1);
    QTest::keyClick(harness.button("Command1"), Qt::Key_F1);
    EXPECT_EQ(harness.help.shownFiles.size(), 2u);
    EXPECT_TRUE(harness.dialogs.boxes.empty());
}

TEST(CloseRuleTest, CloseByTheUserEndsTheProgram) {
    WindowHarness harness(Direction::Encrypt);
    harness.showAndActivate();
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QCoreApplication::instance()->notify(&harness.window(), &close);
    EXPECT_EQ(harness.programEnds, 1);
    EXPECT_TRUE(close.isAccepted());
}

TEST(CloseRuleTest, CloseForAnyOtherReasonDoesNothingSpecial) {
    WindowHarness harness(Direction::Decrypt);
    harness.showAndActivate();
    EXPECT_TRUE(harness.window().close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(harness.programEnds, 0);
    EXPECT_FALSE(harness.windowAlive()) << "the window is deleted on close";
}

TEST(CentringTest, LargerThanTheScreenOverhangsBothEdgesEqually) {
    EXPECT_EQ(WindowCentring::CentredPosition(QSize(1024, 768), QSize(628, 511)), QPoint(198, 128));
    EXPECT_EQ(WindowCentring::CentredPosition(QSize(600, 400), QSize(640, 520)), QPoint(-20, -60));
}

}  // namespace
}  // namespace korvel::testing
