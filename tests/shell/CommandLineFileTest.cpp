#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "gui/SourceDropTarget.h"
#include "shell/CommandLineFiles.h"
#include "shell/ShellWindows.h"
#include "shell/StartWindow.h"
#include "tests/support/FakeHelpOpener.h"
#include "tests/support/FakeWindowDialogs.h"

namespace korvel {
namespace {

// The program started as "korvel <arguments>": the user then opens the encrypt or decrypt window
// from the main window. What stands in that window's source box, and what was the user told?
struct Started {
    QString source;
    QStringList messages;
    bool messagesOverTheWindow = true;
    int listed = -1;
};

Started StartWithArgumentsAndOpen(const QStringList& arguments, bool encrypt) {
    testing::FakeWindowDialogs dialogs;
    testing::FakeHelpOpener help;
    ShellWindows windows(dialogs, help);
    windows.HandFilesToWorkingWindow(
        CommandLineFiles::FromArguments(QStringList{QStringLiteral("korvel")} + arguments));
    windows.ShowMainWindow();
    (encrypt ? windows.MainWindow()->EncryptButton() : windows.MainWindow()->DecryptButton())
        ->click();
    QCoreApplication::processEvents();  // a turned-down file is told once the window is up

    QWidget* window = encrypt ? windows.EncryptWindow() : windows.DecryptWindow();
    Started started;
    started.source = window->findChild<QLineEdit*>(QStringLiteral("Text1"))->text();
    if (auto* list = window->findChild<QTreeWidget*>(QStringLiteral("fileList"))) {
        started.listed = list->topLevelItemCount();
    }
    for (const auto& box : dialogs.boxes) {
        started.messages.append(box.text);
        started.messagesOverTheWindow &= box.parent == window;
    }
    return started;
}

TEST(CommandLineFileTest, TheWindowOpenedTakesTheArgumentAsItTakesADrop) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("季度报告 2024.txt"));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::WriteOnly) && written.write("data") == 4);
    written.close();
    const QString missing = folder.filePath(QStringLiteral("不存在.txt"));
    const QString native = QDir::toNativeSeparators(file);
    // Relative paths are found from the folder the program was started in.
    const QString previousFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));

    const struct {
        const char* what;
        QStringList arguments;
        QString source;
        QStringList messages;
        int listed = -1;  // files in the set's list; -1: no set
    } cases[] = {
        {"no argument", {}, {}, {}},
        {"a file", {file}, native, {}},
        {"a file by a relative name", {QStringLiteral("季度报告 2024.txt")}, native, {}},
        // A drop takes a file it is given without looking for it; the run then says it is missing.
        {"a missing file", {missing}, QDir::toNativeSeparators(missing), {}},
        // Several files or a folder go to the list of a set.
        {"a folder", {folder.path()}, {}, {}, 1},
        {"two files", {file, file}, {}, {}, 2},
    };
    for (const auto& startCase : cases) {
        for (const bool encrypt : {true, false}) {
            SCOPED_TRACE(std::string(startCase.what) + (encrypt ? ", encrypt" : ", decrypt"));
            const Started started = StartWithArgumentsAndOpen(startCase.arguments, encrypt);
            EXPECT_EQ(started.source, startCase.source);
            EXPECT_EQ(started.messages, startCase.messages);
            EXPECT_EQ(started.listed, startCase.listed);
            EXPECT_TRUE(started.messagesOverTheWindow);
        }
    }
    QDir::setCurrent(previousFolder);
}

}  // namespace
}  // namespace korvel
