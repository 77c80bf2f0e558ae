#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "WindowHarness.h"
#include "gtest/gtest.h"

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

TEST(KeyboardTest, EncryptWindowStartsInText1AndTabsInItsOrder) {
    WindowHarness harness(Direction::Encrypt);
    harness.showAndActivate();
    EXPECT_EQ(FocusName(), QStringLiteral("Text1"));
    EXPECT_EQ(TabVisits(10), QStringList({"Text2", "Command1", "Command2", "Text3", "Text4",
                                          "Command3", "Picture1", "Check1", "Command5", "Text1"}));
}

TEST(KeyboardTest, DecryptWindowStartsInCommand5AndTabsInItsOrder) {
    WindowHarness harness(Direction::Decrypt);
    harness.showAndActivate();
    EXPECT_EQ(FocusName(), QStringLiteral("Command5"));
    EXPECT_EQ(TabVisits(10), QStringList({"Check1", "Picture1", "Text1", "Text2", "Command1",
                                          "Command2", "Text3", "Text4", "Command3", "Command5"}));
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
              std::vector<QString>{harness.pathInFolder(QStringLiteral("help.chm"))});
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

}  // namespace
}  // namespace korvel::testing
