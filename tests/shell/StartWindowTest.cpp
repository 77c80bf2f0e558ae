#include "shell/StartWindow.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "FakeNavigator.h"

namespace korvel {
namespace {

class StartWindowTest : public ::testing::Test {
protected:
    StartWindowTest() : startWindow_(new StartWindow(navigator_)) {}
    ~StartWindowTest() override { delete startWindow_.data(); }

    void LoadShowAndActivate() {
        startWindow_->Load();
        startWindow_->show();
        startWindow_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(startWindow_));
    }

    static void FinishUnloads() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static void PressKey(Qt::Key key) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, key);
    }

    FakeNavigator navigator_;
    QPointer<StartWindow> startWindow_;
};

TEST_F(StartWindowTest, WindowHasItsCaptionSizeAndCloseBoxOnly) {
    EXPECT_EQ(startWindow_->windowTitle(), QStringLiteral("Korvel加密"));
    EXPECT_EQ(startWindow_->size(), QSize(455, 368));
    EXPECT_EQ(startWindow_->minimumSize(), startWindow_->maximumSize()) << "must not be resizable";
    const Qt::WindowFlags flags = startWindow_->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    if (!QIcon(QStringLiteral(":/pictures/icon_main.png")).isNull()) {
        EXPECT_FALSE(startWindow_->windowIcon().isNull());
    }
}

TEST_F(StartWindowTest, ButtonsHaveTheirCaptionsGeometryAndFont) {
    EXPECT_EQ(startWindow_->EncryptButton()->text(), QStringLiteral("加密"));
    EXPECT_EQ(startWindow_->DecryptButton()->text(), QStringLiteral("解密"));
    EXPECT_EQ(startWindow_->EncryptButton()->geometry(), QRect(48, 56, 145, 113));
    EXPECT_EQ(startWindow_->DecryptButton()->geometry(), QRect(272, 56, 145, 113));
    for (QPushButton* button : {startWindow_->EncryptButton(), startWindow_->DecryptButton()}) {
        const QFont font = button->font();
        EXPECT_EQ(font.pointSize(), 24);
        EXPECT_EQ(font.weight(), QFont::Normal);
        EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut());
        ASSERT_FALSE(font.families().isEmpty());
        EXPECT_EQ(font.families().first(), QStringLiteral("SimSun"));
        EXPECT_TRUE(font.families().contains(QStringLiteral("Noto Sans CJK SC")))
            << "needs a Simplified-Chinese fallback where 宋体 is missing";
        EXPECT_FALSE(button->isDefault());
        EXPECT_TRUE(button->isEnabled() && !button->isHidden());
    }
}

TEST_F(StartWindowTest, LoadCentresTheWindow) {
    startWindow_->Load();
    const QRect screen = startWindow_->screen()->geometry();
    const QRect frame = startWindow_->frameGeometry();
    EXPECT_LE(std::abs((frame.left() - screen.left()) - (screen.right() - frame.right())), 1);
    EXPECT_LE(std::abs((frame.top() - screen.top()) - (screen.bottom() - frame.bottom())), 1);
}

TEST_F(StartWindowTest, EncryptButtonOpensEncryptWindowThenUnloadsWithoutEndingProgram) {
    LoadShowAndActivate();
    navigator_.watchedWindow = startWindow_;
    startWindow_->EncryptButton()->click();

    EXPECT_EQ(navigator_.encryptShown, 1);
    EXPECT_EQ(navigator_.decryptShown, 0);
    EXPECT_TRUE(navigator_.watchedWindowVisibleAtShow) << "the new window comes first";
    EXPECT_EQ(navigator_.programEnded, 0);
    FinishUnloads();
    EXPECT_TRUE(startWindow_.isNull());
}

TEST_F(StartWindowTest, DecryptButtonOpensDecryptWindowThenUnloadsWithoutEndingProgram) {
    LoadShowAndActivate();
    navigator_.watchedWindow = startWindow_;
    QTest::mouseClick(startWindow_->DecryptButton(), Qt::LeftButton);

    EXPECT_EQ(navigator_.decryptShown, 1);
    EXPECT_EQ(navigator_.encryptShown, 0);
    EXPECT_TRUE(navigator_.watchedWindowVisibleAtShow);
    EXPECT_EQ(navigator_.programEnded, 0);
    FinishUnloads();
    EXPECT_TRUE(startWindow_.isNull());
}

TEST_F(StartWindowTest, ClosingByTheUserEndsTheProgram) {
    LoadShowAndActivate();
    startWindow_->close();
    EXPECT_EQ(navigator_.programEnded, 1);
    EXPECT_EQ(navigator_.TotalShown(), 0);
}

TEST_F(StartWindowTest, EncryptButtonHasFocusAndEnterOpensEncryptWindow) {
    LoadShowAndActivate();
    EXPECT_EQ(QApplication::focusWidget(), startWindow_->EncryptButton());
    PressKey(Qt::Key_Return);
    EXPECT_EQ(navigator_.encryptShown, 1);
    EXPECT_EQ(navigator_.decryptShown, 0);
}

TEST_F(StartWindowTest, TabMovesToDecryptButtonWhereEnterClicksIt) {
    LoadShowAndActivate();
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), startWindow_->DecryptButton());
    PressKey(Qt::Key_Return);
    EXPECT_EQ(navigator_.decryptShown, 1);
    EXPECT_EQ(navigator_.encryptShown, 0);
}

TEST_F(StartWindowTest, ScreenReaderHearsWhatEachButtonDoes) {
    const std::pair<QPushButton*, QString> expected[] = {
        {startWindow_->EncryptButton(), QStringLiteral("加密")},
        {startWindow_->DecryptButton(), QStringLiteral("解密")}};
    for (const auto& [button, name] : expected) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(spoken, nullptr);
        EXPECT_EQ(spoken->text(QAccessible::Name), name);
        EXPECT_EQ(spoken->role(), QAccessible::Button);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(startWindow_->EncryptButton())
                  ->text(QAccessible::Description),
              QStringLiteral("打开文件加密窗口"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(startWindow_->DecryptButton())
                  ->text(QAccessible::Description),
              QStringLiteral("打开文件解密窗口"));
}

TEST_F(StartWindowTest, EscapeDoesNothing) {
    LoadShowAndActivate();
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(navigator_.TotalShown(), 0);
    EXPECT_EQ(navigator_.programEnded, 0);
    EXPECT_TRUE(startWindow_->isVisible());
}

}  // namespace
}  // namespace korvel
