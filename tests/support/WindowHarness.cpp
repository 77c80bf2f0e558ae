#include "WindowHarness.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include "gtest/gtest.h"
#include "gui/DecryptWindow.h"
#include "gui/EncryptWindow.h"

namespace korvel::testing {

void WriteFile(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
        return;
    }
    QByteArray bytes(size, '\0');
    quint32 state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    file.write(bytes);
}

WindowHarness::WindowHarness(Direction direction) {
    WriteFile(folder_.filePath(QStringLiteral("uae")), 200000);
    WriteFile(folder_.filePath(QStringLiteral("help.chm")), 100);
    if (direction == Direction::Encrypt) {
        window_ = new EncryptWindow(dialogs, help);
    } else {
        window_ = new DecryptWindow(dialogs, help);
    }
    window_->overrideApplicationFolder(folder_.path());
    window_->setProgramEnder([this] { ++programEnds; });
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window_, &activate);
}

WindowHarness::~WindowHarness() { delete window_.data(); }

QAbstractButton* WindowHarness::button(const char* name) const {
    return control<QAbstractButton>(name);
}

QLineEdit* WindowHarness::box(const char* name) const { return control<QLineEdit>(name); }

void WindowHarness::showAndActivate() {
    window_->show();
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_));
}

void WindowHarness::click(const char* buttonName) {
    QAbstractButton* target = button(buttonName);
    ASSERT_NE(target, nullptr) << buttonName;
    target->click();
}

bool WindowHarness::run() {
    click("Command4");
    return waitForRunEnd();
}

bool WindowHarness::waitForRunEnd() {
    const bool ended =
        QTest::qWaitFor([this] { return !window_ || !window_->runWorking(); }, 60000);
    EXPECT_TRUE(ended) << "the run did not end";
    return ended;
}

bool WindowHarness::startHeldRun(WriteLatch& latch) {
    window_->setBeforeTargetWrite(latch.Hook());
    click("Command4");
    const bool held = QTest::qWaitFor([&] { return latch.Holding(); }, 60000);
    EXPECT_TRUE(held) << "the run never reached the held write";
    QCoreApplication::processEvents();
    return held;
}

void WindowHarness::confirmPassword(const QString& password) {
    box("Text3")->setText(password);
    box("Text4")->setText(password);
    click("Command3");
}

void WindowHarness::chooseFiles(const QString& sourceName, qint64 size, const QString& targetName) {
    WriteFile(pathInFolder(sourceName), size);
    dialogs.openAnswers.push_back(pathInFolder(sourceName));
    dialogs.saveAnswers.push_back(pathInFolder(targetName));
    click("Command1");
    click("Command2");
}

}  // namespace korvel::testing
