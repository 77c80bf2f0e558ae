#include "shell/help/ChmHelpOpener.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "shell/help/ChmTextBrowser.h"
#include "shell/help/ChmViewerWindow.h"
#include "tests/support/FakeWindowDialogs.h"
#include "tests/support/Printers.h"

namespace korvel {
namespace {

using testing::FakeWindowDialogs;

class ChmHelpOpenerTest : public ::testing::Test {
protected:
    FakeWindowDialogs dialogs;
    ChmHelpOpener opener{dialogs};
    QWidget requestingWindow;
};

TEST_F(ChmHelpOpenerTest, AMissingHelpFileIsReportedByName) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString missing = folder.filePath("help.chm");

    opener.ShowHelp(missing, &requestingWindow);

    ASSERT_EQ(dialogs.boxes.size(), 1u);
    const FakeWindowDialogs::Box& box = dialogs.boxes[0];
    EXPECT_EQ(box.text, QStringLiteral("找不到帮助文件：") + QDir::toNativeSeparators(missing));
    EXPECT_EQ(box.kind, FakeWindowDialogs::BoxKind::Warning);
    EXPECT_EQ(box.title, QStringLiteral("提示信息"));
    EXPECT_EQ(box.parent, &requestingWindow);
    EXPECT_EQ(opener.Viewer(), nullptr);
}

TEST_F(ChmHelpOpenerTest, AnUnreadableHelpFileIsReportedByName) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile broken(folder.filePath("help.chm"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a compiled help file");
    broken.close();

    opener.ShowHelp(broken.fileName(), &requestingWindow);

    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.boxes[0].text.contains(QStringLiteral("无法打开帮助文件")));
    EXPECT_TRUE(dialogs.boxes[0].text.contains(QDir::toNativeSeparators(broken.fileName())));
    EXPECT_EQ(opener.Viewer(), nullptr);
}

TEST_F(ChmHelpOpenerTest, ShowsTheHelpInAModelessViewer) {
    opener.ShowHelp(KORVEL_BUILT_HELP_FILE, &requestingWindow);

    EXPECT_TRUE(dialogs.boxes.empty());
    ChmViewerWindow* viewer = opener.Viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(viewer));
    EXPECT_EQ(viewer->windowModality(), Qt::NonModal);
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_EQ(ChmTextBrowser::PathOf(viewer->Browser()->source()), "/index.html");
}

TEST_F(ChmHelpOpenerTest, RepeatedHelpReusesTheOneViewerAndShowsItAgain) {
    opener.ShowHelp(KORVEL_BUILT_HELP_FILE, &requestingWindow);
    ChmViewerWindow* first = opener.Viewer();
    ASSERT_NE(first, nullptr);
    first->Browser()->setSource(ChmTextBrowser::UrlOf("notes.html"));
    first->close();
    ASSERT_FALSE(first->isVisible());

    opener.ShowHelp(KORVEL_BUILT_HELP_FILE, &requestingWindow);

    EXPECT_EQ(opener.Viewer(), first);
    EXPECT_TRUE(first->isVisible());
    // Same file: the reader's place is kept rather than reloaded.
    EXPECT_EQ(ChmTextBrowser::PathOf(first->Browser()->source()), "/notes.html");
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(ChmHelpOpenerTest, AFailedRequestLeavesTheOpenViewerAlone) {
    opener.ShowHelp(KORVEL_BUILT_HELP_FILE, &requestingWindow);
    ChmViewerWindow* viewer = opener.Viewer();
    ASSERT_NE(viewer, nullptr);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile broken(folder.filePath("help.chm"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(512, '\0'));
    broken.close();
    opener.ShowHelp(broken.fileName(), &requestingWindow);

    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(opener.Viewer(), viewer);
    EXPECT_TRUE(viewer->Browser()->toPlainText().contains(QStringLiteral("使用说明")));
}

}  // namespace
}  // namespace korvel
