#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "gui/CipherWindow.h"
#include "shell/ShellWindows.h"
#include "tests/support/FakeHelpOpener.h"
#include "tests/support/FakeWindowDialogs.h"
#include "tests/support/Printers.h"

namespace korvel {
namespace {

using testing::FakeHelpOpener;
using testing::FakeWindowDialogs;

QString FocusName() {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("<none>");
}

void Press(Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, key);
}

void Type(const QString& text) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClicks(focus, text);
}

// Presses Tab until `name` has the focus; fails if a whole round of Tab does not get there.
void TabTo(const QString& name) {
    for (int presses = 0; presses < 20 && FocusName() != name; ++presses) Press(Qt::Key_Tab);
    ASSERT_EQ(FocusName(), name) << "cannot be reached with Tab";
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The user's whole road with the keyboard alone: the main window, then every control that the
// encrypt or decrypt window needs, with the dialogs and boxes answered by fakes.
class KeyboardFlowTest : public ::testing::Test {
protected:
    KeyboardFlowTest() {
        WriteBytes(Path("uae"), QByteArray(200000, 'k') + "key file tail");
        WriteBytes(Path("help.chm"), "help");
    }

    QString Path(const char* name) const { return folder_.filePath(QString::fromLatin1(name)); }
    static void WriteBytes(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // From the main window: Tab `tabs` times, then Enter; returns the window that opened.
    CipherWindow* OpenWithKeys(ShellWindows& windows, int tabs, Direction direction) {
        windows.ShowMainWindow();
        StartWindow* startWindow = windows.MainWindow();
        startWindow->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(startWindow));
        for (int i = 0; i < tabs; ++i) Press(Qt::Key_Tab);
        Press(Qt::Key_Return);
        QWidget* opened =
            direction == Direction::Encrypt ? windows.EncryptWindow() : windows.DecryptWindow();
        auto* window = qobject_cast<CipherWindow*>(opened);
        if (window == nullptr) return nullptr;
        window->overrideApplicationFolder(folder_.path());
        window->setProgramEnder([] {});
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(window, &activate);
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return window;
    }

    void RunWithKeys(CipherWindow& window, const QString& source, const QString& target) {
        dialogs_.openAnswers.push_back(source);
        dialogs_.saveAnswers.push_back(target);
        auto* text1 = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
        auto* text2 = window.findChild<QLineEdit*>(QStringLiteral("Text2"));
        auto* text3 = window.findChild<QLineEdit*>(QStringLiteral("Text3"));

        TabTo("Command1");
        Press(Qt::Key_Space);
        EXPECT_EQ(text1->text(), source);
        TabTo("Command2");
        Press(Qt::Key_Space);
        EXPECT_EQ(text2->text(), target);

        TabTo("Text3");
        Type(QStringLiteral("Secret 1"));
        Press(Qt::Key_Tab);
        ASSERT_EQ(FocusName(), QStringLiteral("Text4"));
        Type(QStringLiteral("Secret 1"));

        TabTo("Check1");
        Press(Qt::Key_Space);
        EXPECT_EQ(text3->echoMode(), QLineEdit::Normal) << "Space shows the password";
        Press(Qt::Key_Space);
        EXPECT_EQ(text3->echoMode(), QLineEdit::Password);

        TabTo("Command3");
        Press(Qt::Key_Return);
        EXPECT_EQ(FocusName(), QStringLiteral("Command4")) << "the run follows the confirmation";
        Press(Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.runWorking(); }, 60000));

        TabTo("Command5");
        Press(Qt::Key_Return);
        QCoreApplication::processEvents();  // the help key press is posted
        EXPECT_EQ(help_.shownFiles, QStringList{Path("help.chm")});

        TabTo("Command6");
        Press(Qt::Key_Return);
        EXPECT_EQ(FocusName(), QStringLiteral("Text3")) << "the password can be changed at once";
        EXPECT_FALSE(text3->isReadOnly());
    }

    QTemporaryDir folder_;
    FakeWindowDialogs dialogs_;
    FakeHelpOpener help_;
};

TEST_F(KeyboardFlowTest, EncryptThenDecryptWithTheKeyboardAlone) {
    const QByteArray plaintext = QByteArray("keyboard only ").repeated(300);
    WriteBytes(Path("plain.txt"), plaintext);
    {
        ShellWindows windows(dialogs_, help_);
        CipherWindow* encryptWindow = OpenWithKeys(windows, 0, Direction::Encrypt);
        ASSERT_NE(encryptWindow, nullptr) << "Enter on 加密 opens the encrypt window";
        EXPECT_EQ(FocusName(), QStringLiteral("Text1"));
        RunWithKeys(*encryptWindow, Path("plain.txt"), Path("cipher.bin"));
    }
    ASSERT_EQ(dialogs_.boxes.size(), 1u);
    EXPECT_EQ(dialogs_.boxes[0].text, QStringLiteral("密文已经生成"));
    EXPECT_EQ(QFile(Path("cipher.bin")).size(), plaintext.size() + 10);

    dialogs_.boxes.clear();
    help_.shownFiles.clear();
    {
        ShellWindows windows(dialogs_, help_);
        CipherWindow* decryptWindow = OpenWithKeys(windows, 1, Direction::Decrypt);
        ASSERT_NE(decryptWindow, nullptr) << "Tab, Enter on 解密 opens the decrypt window";
        EXPECT_EQ(FocusName(), QStringLiteral("Command5"));
        RunWithKeys(*decryptWindow, Path("cipher.bin"), Path("back.txt"));
    }
    ASSERT_EQ(dialogs_.boxes.size(), 1u);
    EXPECT_EQ(dialogs_.boxes[0].text, QStringLiteral("密文已经解密，明文已经生成"));
    EXPECT_EQ(Contents(Path("back.txt")), plaintext);
}

}  // namespace
}  // namespace korvel
