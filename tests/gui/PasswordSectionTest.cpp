#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

#include "gtest/gtest.h"
#include "gui/PasswordCheck.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

const QString kCharacterMessage = QStringLiteral("密码不能包含汉字等字符");
const QString kLengthMessage = QStringLiteral("密码的长度应当在5-20之间");
const QString kMismatchMessage = QStringLiteral("两次输入的密码不一样");

class PasswordSectionTest : public ::testing::TestWithParam<Direction> {
protected:
    WindowHarness harness{GetParam()};

    void enter(const QString& password, const QString& repeat) {
        harness.box("Text3")->setText(password);
        harness.box("Text4")->setText(repeat);
        harness.click("Command3");
    }
    bool enabled(const char* name) { return harness.button(name)->isEnabled(); }
    bool confirmed() {
        return !enabled("Command3") && enabled("Command6") && enabled("Command4") &&
               harness.box("Text3")->isReadOnly() && harness.box("Text4")->isReadOnly();
    }
    bool unconfirmed() {
        return enabled("Command3") && !enabled("Command6") && !enabled("Command4") &&
               !harness.box("Text3")->isReadOnly() && !harness.box("Text4")->isReadOnly();
    }
    // The single message shown by the confirmation, with its title checked.
    QString onlyMessage() {
        EXPECT_EQ(harness.dialogs.boxes.size(), 1u);
        if (harness.dialogs.boxes.empty()) return {};
        const auto& box = harness.dialogs.boxes.front();
        EXPECT_EQ(box.kind, FakeWindowDialogs::BoxKind::Information);
        EXPECT_EQ(box.title, QStringLiteral("提示信息"));
        return box.text;
    }
};

TEST_P(PasswordSectionTest, EmptyPasswordBoxDoesNothingWhateverTheRepeatHolds) {
    enter(QString(), QStringLiteral("abcdef"));
    EXPECT_TRUE(harness.dialogs.boxes.empty());
    EXPECT_TRUE(unconfirmed());
    EXPECT_TRUE(harness.window().password().isEmpty());
}

// What confirming a password and its repetition gives: accepted (no message) or one message.
struct ConfirmCase {
    QString password;
    QString repeat;
    QString message;
};

TEST_P(PasswordSectionTest, ConfirmationAcceptsOrRefusesWithTheFirstFailingCheck) {
    const QString twenty = QStringLiteral("abcdefghij0123456789");
    const ConfirmCase cases[] = {
        {QStringLiteral("abcde"), QStringLiteral("abcde"), {}},
        {twenty, twenty, {}},
        {QStringLiteral("     "), QStringLiteral("     "), {}},
        {QStringLiteral("~~~~~"), QStringLiteral("~~~~~"), {}},
        {QStringLiteral("abcd"), QStringLiteral("abcd"), kLengthMessage},
        {twenty + u'x', twenty + u'x', kLengthMessage},
        {QStringLiteral("abcde") + QChar(127), QStringLiteral("abcde") + QChar(127),
         kCharacterMessage},
        {QStringLiteral("abc\tde"), QStringLiteral("abc\tde"), kCharacterMessage},
        {QStringLiteral("Secret1"), QStringLiteral("secret1"), kMismatchMessage},
        {QStringLiteral("Secret1"), QString(), kMismatchMessage},
        {QStringLiteral("Secret1"), QStringLiteral("Secret1 "), kMismatchMessage},
        {QStringLiteral("abcdef"), QStringLiteral("汉"), kMismatchMessage},  // never checked alone
    };
    for (const ConfirmCase& c : cases) {
        harness.dialogs.boxes.clear();
        enter(c.password, c.repeat);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(harness.dialogs.boxes.empty()) << c.password.toStdString();
            EXPECT_TRUE(confirmed()) << c.password.toStdString();
            EXPECT_EQ(harness.window().password(), c.password);
            harness.click("Command6");
        } else {
            EXPECT_EQ(onlyMessage(), c.message) << c.password.toStdString();
            EXPECT_TRUE(unconfirmed()) << c.password.toStdString();
        }
    }
}

TEST_P(PasswordSectionTest, CharacterCheckComesBeforeTheLengthCheck) {
    const QString pasted = QStringLiteral("a汉b");
    enter(pasted, pasted);
    EXPECT_EQ(onlyMessage(), kCharacterMessage);
    // A rejected entry still becomes the window's password, but it can never be used.
    EXPECT_EQ(harness.window().password(), pasted);
    EXPECT_FALSE(enabled("Command4"));
}

TEST_P(PasswordSectionTest, ChangeButtonUnlocksAndKeepsTextsAndPassword) {
    enter(QStringLiteral("hello world"), QStringLiteral("hello world"));
    ASSERT_TRUE(confirmed());
    harness.click("Command6");
    EXPECT_TRUE(unconfirmed());
    EXPECT_EQ(harness.box("Text3")->text(), QStringLiteral("hello world"));
    EXPECT_EQ(harness.box("Text4")->text(), QStringLiteral("hello world"));
    EXPECT_EQ(harness.window().password(), QStringLiteral("hello world"));
}

TEST_P(PasswordSectionTest, ShowPasswordUnmasksAndMasksBothBoxesInBothStates) {
    auto* check = harness.control<QCheckBox>("Check1");
    QLineEdit* text3 = harness.box("Text3");
    QLineEdit* text4 = harness.box("Text4");
    EXPECT_EQ(text3->echoMode(), QLineEdit::Password);
    check->click();
    EXPECT_EQ(text3->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(text4->echoMode(), QLineEdit::Normal);

    enter(QStringLiteral("abcdef"), QStringLiteral("abcdef"));
    ASSERT_TRUE(confirmed());
    check->click();
    EXPECT_EQ(text3->echoMode(), QLineEdit::Password);
    EXPECT_EQ(text4->echoMode(), QLineEdit::Password);
    check->click();
    EXPECT_EQ(text4->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(text3->isReadOnly() && text4->isReadOnly()) << "showing must not unlock";
}

TEST_P(PasswordSectionTest, InputMethodStaysOffThroughMaskingAndLocking) {
    auto* check = harness.control<QCheckBox>("Check1");
    check->click();
    enter(QStringLiteral("abcdef"), QStringLiteral("abcdef"));
    harness.click("Command6");
    check->click();
    for (const char* name : {"Text3", "Text4"}) {
        EXPECT_FALSE(harness.box(name)->testAttribute(Qt::WA_InputMethodEnabled)) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(BothWindows, PasswordSectionTest,
                         ::testing::Values(Direction::Encrypt, Direction::Decrypt), ByDirection);

TEST(PasswordRefusalTest, ControlAndNonAsciiBoundaries) {
    const QString ok = QStringLiteral("abcde");
    EXPECT_FALSE(PasswordRefusal(ok, ok).has_value());
    for (QChar bad : {QChar(31), QChar(127), QChar(0xA0), QChar(0xFF01)}) {
        const QString password = ok + bad;
        EXPECT_EQ(PasswordRefusal(password, password), kCharacterMessage) << int(bad.unicode());
    }
    const QString withSpace = QStringLiteral(" bcde");
    EXPECT_FALSE(PasswordRefusal(withSpace, withSpace).has_value());
}

}  // namespace
}  // namespace korvel::testing
