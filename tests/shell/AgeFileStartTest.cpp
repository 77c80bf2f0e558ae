#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include "shell/CommandLineFiles.h"
#include "shell/ShellWindows.h"
#include "shell/StartWindow.h"
#include "tests/support/FakeHelpOpener.h"
#include "tests/support/FakeWindowDialogs.h"

namespace korvel {
namespace {

// Which windows stand after a start, and what the decrypt window's source box holds.
struct Windows {
    bool main = false;
    bool encrypt = false;
    bool decrypt = false;
    QString decryptSource;

    bool operator==(const Windows&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Windows& windows) {
    return out << "main " << windows.main << ", encrypt " << windows.encrypt << ", decrypt "
               << windows.decrypt << " (" << windows.decryptSource.toStdString() << ")";
}

Windows Standing(const ShellWindows& windows) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Windows standing;
    standing.main = windows.MainWindow() && windows.MainWindow()->isVisible();
    standing.encrypt = windows.EncryptWindow() && windows.EncryptWindow()->isVisible();
    standing.decrypt = windows.DecryptWindow() && windows.DecryptWindow()->isVisible();
    if (windows.DecryptWindow()) {
        standing.decryptSource =
            windows.DecryptWindow()->findChild<QLineEdit*>(QStringLiteral("Text1"))->text();
    }
    return standing;
}

QList<QUrl> Arguments(const QStringList& files) {
    return CommandLineFiles::FromArguments(QStringList{QStringLiteral("korvel")} + files);
}

class AgeFileStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"报告.age", "照片.AGE", "a.age", "报告.age.txt", "报告.txt"}) {
            QFile file(Path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("age-encryption.org/v1\n"));
        }
        ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("文件夹.age")));
    }
    QString Path(const char* name) const { return folder_.filePath(QString::fromUtf8(name)); }
    QString Native(const char* name) const { return QDir::toNativeSeparators(Path(name)); }

    QTemporaryDir folder_;
    testing::FakeWindowDialogs dialogs_;
    testing::FakeHelpOpener help_;
};

// What the splash leads to: the decrypt window for one age file, the main window otherwise.
TEST_F(AgeFileStartTest, AStartWithOneAgeFileOpensTheDecryptWindowWithIt) {
    const struct {
        const char* what;
        QStringList files;
        Windows expected;
    } cases[] = {
        {"an age file", {Path("报告.age")}, {false, false, true, Native("报告.age")}},
        {"in capitals", {Path("照片.AGE")}, {false, false, true, Native("照片.AGE")}},
        {"no file", {}, {true, false, false, {}}},
        {"another file", {Path("报告.txt")}, {true, false, false, {}}},
        {"a name that only holds .age", {Path("报告.age.txt")}, {true, false, false, {}}},
        {"a folder named .age", {Path("文件夹.age")}, {true, false, false, {}}},
        {"two age files", {Path("报告.age"), Path("a.age")}, {true, false, false, {}}},
    };
    for (const auto& start : cases) {
        SCOPED_TRACE(start.what);
        ShellWindows windows(dialogs_, help_);
        windows.HandFilesToWorkingWindow(Arguments(start.files));
        windows.ShowMainWindow();
        EXPECT_EQ(Standing(windows), start.expected);
    }
}

// A double-click on an age file while Korvel runs: the running copy's decrypt window takes it,
// opened for it if need be; the main window gives way to it as after a click on "解密".
TEST_F(AgeFileStartTest, ASecondStartWithAnAgeFileHandsItToTheDecryptWindow) {
    enum class Before { Splash, Main, Encrypt, Decrypt };
    const struct {
        const char* what;
        Before before;
        const char* file;
        Windows expected;
    } cases[] = {
        {"main window", Before::Main, "报告.age", {false, false, true, Native("报告.age")}},
        {"encrypt window", Before::Encrypt, "报告.age", {false, true, true, Native("报告.age")}},
        {"decrypt window", Before::Decrypt, "报告.age", {false, false, true, Native("报告.age")}},
        {"main window, another file", Before::Main, "报告.txt", {true, false, false, {}}},
        {"encrypt window, another file", Before::Encrypt, "报告.txt", {false, true, false, {}}},
        // The splash still shown: it leads to the decrypt window with the file.
        {"splash", Before::Splash, "报告.age", {false, false, true, Native("报告.age")}},
    };
    for (const auto& start : cases) {
        SCOPED_TRACE(start.what);
        ShellWindows windows(dialogs_, help_);
        if (start.before == Before::Main) windows.ShowMainWindow();
        if (start.before == Before::Encrypt) windows.ShowEncryptWindow();
        if (start.before == Before::Decrypt) windows.ShowDecryptWindow();
        windows.TakeFilesFromSecondStart(Arguments({Path(start.file)}));
        if (start.before == Before::Splash) windows.ShowMainWindow();
        EXPECT_EQ(Standing(windows), start.expected);
    }
}

}  // namespace
}  // namespace korvel
