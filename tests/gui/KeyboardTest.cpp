#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "gtest/gtest.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

QString FocusName() {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("<none>");
}

// The names of the controls that Tab visits from the current focus, `count` presses long.
QStringList TabVisits(int count) {
    QStringList visits;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visits << FocusName();
    }
    return visits;
}

// Where each window puts the focus when it opens, and the ten controls Tab visits from there.
TEST(KeyboardTest, EachWindowStartsInItsFirstControlAndTabsInItsOrder) {
    const std::tuple<Direction, QString, QStringList> windows[] = {
        {Direction::Encrypt,
         "Text1",
         {"Text2", "Command1", "Command2", "Text3", "Text4", "Command3", "Picture1", "Check1",
          "Command5", "Text1"}},
        {Direction::Decrypt,
         "Command5",
         {"Check1", "Picture1", "Text1", "Text2", "Command1", "Command2", "Text3", "Text4",
          "Command3", "Command5"}},
    };
    for (const auto& [direction, first, visits] : windows) {
        WindowHarness harness(direction);
        harness.showAndActivate();
        EXPECT_EQ(FocusName(), first);
        EXPECT_EQ(TabVisits(10), visits);
    }
}

TEST(KeyboardTest, TabSkipsDisabledControlsAndVisitsEnabledOnes) {
    WindowHarness harness(Direction::Encrypt);
    harness.showAndActivate();
    harness.confirmPassword(QStringLiteral("abcdef"));
    harness.box("Text1")->setFocus();
    EXPECT_EQ(TabVisits(11),
              QStringList({"Text2", "Command1", "Command2", "Text3", "Text4", "Command4",
                           "Picture1", "Command6", "Check1", "Command5", "Text1"}));
}

TEST(KeyboardTest, EnterAtOnceInTheDecryptWindowAsksForHelp) {
    WindowHarness harness(Direction::Decrypt);
    harness.showAndActivate();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(harness.help.shownFiles,
              QStringList{harness.pathInFolder(QStringLiteral("help.chm"))});
}

TEST(KeyboardTest, EnterClicksOnlyTheFocusedButton) {
    WindowHarness harness(Direction::Encrypt);
    harness.showAndActivate();
    QLineEdit* text3 = harness.box("Text3");
    harness.box("Text4")->setText(QStringLiteral("abcdef"));
    text3->setText(QStringLiteral("abcdef"));
    text3->setFocus();
    QTest::keyClick(text3, Qt::Key_Return);
    EXPECT_TRUE(harness.button("Command3")->isEnabled()) << "no default button";

    harness.button("Command3")->setFocus();
    QTest::keyClick(harness.button("Command3"), Qt::Key_Return);
    EXPECT_FALSE(harness.button("Command3")->isEnabled());
    EXPECT_TRUE(harness.button("Command4")->isEnabled());
}

TEST(KeyboardTest, EscapeClicksNoButton) {
    WindowHarness harness(Direction::Encrypt);
    harness.showAndActivate();
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (QAbstractButton* button : harness.window().findChildren<QAbstractButton*>()) {
        spies.push_back(std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked));
    }
    for (const char* name : {"Text1", "Text3", "Command1", "Command5", "Check1"}) {
        QWidget* control = harness.control<QWidget>(name);
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Escape);
    }
    QCoreApplication::processEvents();
    for (const auto& spy : spies) EXPECT_EQ(spy->count(), 0);
    EXPECT_TRUE(harness.dialogs.openCalls.empty());
    EXPECT_TRUE(harness.help.shownFiles.empty());
}

// During a run only the cancel and help buttons are usable; Tab must reach the cancel button
// from wherever the focus went when the run button was disabled.
TEST(KeyboardTest, TabReachesTheCancelButtonDuringARunAndEnterCancels) {
    for (Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
        WindowHarness harness(direction);
        harness.showAndActivate();
        harness.chooseFiles(QStringLiteral("plain.bin"), 204801, QStringLiteral("out.bin"));
        harness.confirmPassword(QStringLiteral("Secret1"));
        harness.dialogs.questionAnswers = {true};
        WriteLatch latch(2);
        harness.window().setBeforeTargetWrite(latch.Hook());
        QWidget* command4 = harness.button("Command4");
        command4->setFocus();
        QTest::keyClick(command4, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return latch.Holding(); }, 60000));
        QCoreApplication::processEvents();
        QStringList visitsDuringRun{FocusName()};
        for (int presses = 0; presses < 20 && FocusName() != "Command7"; ++presses) {
            visitsDuringRun << TabVisits(1);
        }
        const QString focusAtEnter = FocusName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        latch.Release();
        ASSERT_TRUE(harness.waitForRunEnd());

        EXPECT_EQ(focusAtEnter, QStringLiteral("Command7"))
            << visitsDuringRun.join(u' ').toStdString();
        for (const char* unusable : {"Command1", "Command2", "Command4", "Command6", "Check1"}) {
            EXPECT_FALSE(visitsDuringRun.contains(QString::fromLatin1(unusable))) << unusable;
        }
        ASSERT_FALSE(harness.dialogs.boxes.empty());
        EXPECT_EQ(harness.dialogs.boxes.front().kind, FakeWindowDialogs::BoxKind::Question);
        EXPECT_FALSE(QFile::exists(harness.pathInFolder(QStringLiteral("out.bin"))))
            << "a cancelled run leaves no target";
    }
}

}  // namespace
}  // namespace korvel::testing
