#include "Form3.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "FakeNavigator.h"

namespace korvel {
namespace {

class Form3Test : public ::testing::Test {
protected:
    Form3Test() : form3_(new Form3(navigator_)) {}
    ~Form3Test() override { delete form3_.data(); }

    void LoadShowAndActivate() {
        form3_->Load();
        form3_->show();
        form3_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form3_));
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
    QPointer<Form3> form3_;
};

TEST_F(Form3Test, WindowHasItsCaptionSizeAndCloseBoxOnly) {
    EXPECT_EQ(form3_->windowTitle(), QStringLiteral("Korvel加密"));
    EXPECT_EQ(form3_->size(), QSize(455, 368));
    EXPECT_EQ(form3_->minimumSize(), form3_->maximumSize()) << "must not be resizable";
    const Qt::WindowFlags flags = form3_->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    if (!QIcon(QStringLiteral(":/pictures/icon_main.png")).isNull()) {
        EXPECT_FALSE(form3_->windowIcon().isNull());
    }
}

TEST_F(Form3Test, ButtonsHaveTheirCaptionsGeometryAndFont) {
    EXPECT_EQ(form3_->EncryptButton()->text(), QStringLiteral("加密"));
    EXPECT_EQ(form3_->DecryptButton()->text(), QStringLiteral("解密"));
    EXPECT_EQ(form3_->EncryptButton()->geometry(), QRect(48, 56, 145, 113));
    EXPECT_EQ(form3_->DecryptButton()->geometry(), QRect(272, 56, 145, 113));
    for (QPushButton* button : {form3_->EncryptButton(), form3_->DecryptButton()}) {
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

TEST_F(Form3Test, LoadCentresTheWindow) {
    form3_->Load();
    const QRect screen = form3_->screen()->geometry();
    const QRect frame = form3_->frameGeometry();
    EXPECT_LE(std::abs((frame.left() - screen.left()) - (screen.right() - frame.right())), 1);
    EXPECT_LE(std::abs((frame.top() - screen.top()) - (screen.bottom() - frame.bottom())), 1);
}

TEST_F(Form3Test, EncryptButtonOpensEncryptWindowThenUnloadsWithoutEndingProgram) {
    LoadShowAndActivate();
    navigator_.watchedWindow = form3_;
    form3_->EncryptButton()->click();

    EXPECT_EQ(navigator_.encryptShown, 1);
    EXPECT_EQ(navigator_.decryptShown, 0);
    EXPECT_TRUE(navigator_.watchedWindowVisibleAtShow) << "the new window comes first";
    EXPECT_EQ(navigator_.programEnded, 0);
    FinishUnloads();
    EXPECT_TRUE(form3_.isNull());
}

TEST_F(Form3Test, DecryptButtonOpensDecryptWindowThenUnloadsWithoutEndingProgram) {
    LoadShowAndActivate();
    navigator_.watchedWindow = form3_;
    QTest::mouseClick(form3_->DecryptButton(), Qt::LeftButton);

    EXPECT_EQ(navigator_.decryptShown, 1);
    EXPECT_EQ(navigator_.encryptShown, 0);
    EXPECT_TRUE(navigator_.watchedWindowVisibleAtShow);
    EXPECT_EQ(navigator_.programEnded, 0);
    FinishUnloads();
    EXPECT_TRUE(form3_.isNull());
}

TEST_F(Form3Test, ClosingByTheUserEndsTheProgram) {
    LoadShowAndActivate();
    form3_->close();
    EXPECT_EQ(navigator_.programEnded, 1);
    EXPECT_EQ(navigator_.TotalShown(), 0);
}

TEST_F(Form3Test, EncryptButtonHasFocusAndEnterOpensEncryptWindow) {
    LoadShowAndActivate();
    EXPECT_EQ(QApplication::focusWidget(), form3_->EncryptButton());
    PressKey(Qt::Key_Return);
    EXPECT_EQ(navigator_.encryptShown, 1);
    EXPECT_EQ(navigator_.decryptShown, 0);
}

TEST_F(Form3Test, TabMovesToDecryptButtonWhereEnterClicksIt) {
    LoadShowAndActivate();
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form3_->DecryptButton());
    PressKey(Qt::Key_Return);
    EXPECT_EQ(navigator_.decryptShown, 1);
    EXPECT_EQ(navigator_.encryptShown, 0);
}

TEST_F(Form3Test, ScreenReaderHearsWhatEachButtonDoes) {
    const std::pair<QPushButton*, QString> expected[] = {
        {form3_->EncryptButton(), QStringLiteral("加密")},
        {form3_->DecryptButton(), QStringLiteral("解密")}};
    for (const auto& [button, name] : expected) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(spoken, nullptr);
        EXPECT_EQ(spoken->text(QAccessible::Name), name);
        EXPECT_EQ(spoken->role(), QAccessible::Button);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form3_->EncryptButton())
                  ->text(QAccessible::Description),
              QStringLiteral("打开文件加密窗口"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form3_->DecryptButton())
                  ->text(QAccessible::Description),
              QStringLiteral("打开文件解密窗口"));
}

TEST_F(Form3Test, EscapeDoesNothing) {
    LoadShowAndActivate();
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(navigator_.TotalShown(), 0);
    EXPECT_EQ(navigator_.programEnded, 0);
    EXPECT_TRUE(form3_->isVisible());
}

}  // namespace
}  // namespace korvel
