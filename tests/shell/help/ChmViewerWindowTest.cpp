#include "shell/help/ChmViewerWindow.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "shell/help/ChmTextBrowser.h"

namespace korvel {
namespace {

class ChmViewerWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(viewer.OpenFile(KORVEL_BUILT_HELP_FILE));
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    }

    QString PageText() const { return viewer.Browser()->toPlainText(); }
    QString PagePath() const { return ChmTextBrowser::PathOf(viewer.Browser()->source()); }

    QTreeWidgetItem* ContentsItem(const QString& name) const {
        for (QTreeWidgetItemIterator it(viewer.Contents()); *it; ++it) {
            if ((*it)->text(0) == name) return *it;
        }
        return nullptr;
    }

    // The first stretch of page text that links to href.
    QTextCursor LinkTo(const QString& href) const {
        QTextDocument* page = viewer.Browser()->document();
        for (QTextBlock block = page->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (fragment.charFormat().anchorHref() == href) {
                    QTextCursor cursor(page);
                    cursor.setPosition(fragment.position() + fragment.length() / 2);
                    return cursor;
                }
            }
        }
        return {};
    }

    // Clicks the middle of a link, as a user would.
    void ClickLink(const QString& href) {
        QTextBrowser* browser = viewer.Browser();
        const QTextCursor link = LinkTo(href);
        ASSERT_FALSE(link.isNull()) << href.toStdString();
        browser->setTextCursor(link);
        browser->ensureCursorVisible();
        const QPoint point = browser->cursorRect(link).center();
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    }

    ChmViewerWindow viewer;
};

TEST_F(ChmViewerWindowTest, ShowsTheFirstPageUnderAChineseTitle) {
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("使用说明"));
    EXPECT_EQ(PagePath(), "/index.html");
    EXPECT_TRUE(PageText().contains(QStringLiteral("Korvel文件加密系统 使用说明")))
        << PageText().left(200).toStdString();
    EXPECT_FALSE(viewer.isModal());
    EXPECT_FALSE(viewer.testAttribute(Qt::WA_QuitOnClose));
}

TEST_F(ChmViewerWindowTest, ContentsListEveryTopicUnderTheOverview) {
    QTreeWidget* contents = viewer.Contents();
    ASSERT_EQ(contents->topLevelItemCount(), 1);
    QTreeWidgetItem* overview = contents->topLevelItem(0);
    EXPECT_EQ(overview->text(0), QStringLiteral("Korvel文件加密系统 使用说明"));
    QStringList chapters;
    for (int i = 0; i < overview->childCount(); ++i) chapters << overview->child(i)->text(0);
    EXPECT_EQ(chapters, (QStringList{"密钥文件 uae", "加密文件", "解密文件", "密码规则",
                                     "进度显示与取消", "注意事项"}));
    EXPECT_EQ(contents->currentItem(), overview);
}

TEST_F(ChmViewerWindowTest, ChoosingATopicShowsItsPage) {
    QTreeWidgetItem* item = ContentsItem(QStringLiteral("密码规则"));
    ASSERT_NE(item, nullptr);
    viewer.Contents()->setCurrentItem(item);
    EXPECT_EQ(PagePath(), "/password.html");
    EXPECT_TRUE(PageText().contains(QStringLiteral("密码的长度应当在5-20之间")));
}

TEST_F(ChmViewerWindowTest, ClickingALinkNavigatesAndBackReturns) {
    ClickLink("keyfile.html");
    EXPECT_EQ(PagePath(), "/keyfile.html");
    EXPECT_TRUE(PageText().contains(QStringLiteral("程序所在的文件夹")));
    EXPECT_EQ(viewer.Contents()->currentItem(), ContentsItem(QStringLiteral("密钥文件 uae")));

    ClickLink("encrypt.html");
    EXPECT_EQ(PagePath(), "/encrypt.html");

    viewer.Browser()->backward();
    EXPECT_EQ(PagePath(), "/keyfile.html");
}

TEST_F(ChmViewerWindowTest, PictureAndStyleSheetComeFromTheArchive) {
    QTextDocument* page = viewer.Browser()->document();
    const QVariant picture =
        page->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/header.png")));
    ASSERT_TRUE(picture.isValid());
    // Once laid out, the document keeps the decoded picture instead of its bytes.
    const QImage image = picture.canConvert<QImage>() ? picture.value<QImage>()
                                                      : QImage::fromData(picture.toByteArray());
    EXPECT_EQ(image.size(), QSize(480, 60));

    const QVariant style = viewer.Browser()->loadResource(QTextDocument::StyleSheetResource,
                                                          QUrl(QStringLiteral("style.css")));
    EXPECT_TRUE(style.toString().contains("h1"));
}

TEST_F(ChmViewerWindowTest, AMissingPageSaysSoInsteadOfKeepingTheOldOne) {
    viewer.Browser()->setSource(ChmTextBrowser::UrlOf("no-such-page.html"));
    EXPECT_TRUE(PageText().contains(QStringLiteral("找不到此页")));
    EXPECT_TRUE(PageText().contains("/no-such-page.html"));
}

TEST(ChmViewerWindowOpenTest, RefusesAFileThatIsNotAHelpFile) {
    ChmViewerWindow viewer;
    EXPECT_FALSE(viewer.OpenFile(QStringLiteral("/nonexistent/help.chm")));
    EXPECT_TRUE(viewer.FilePath().isEmpty());
    EXPECT_EQ(viewer.Contents()->topLevelItemCount(), 0);
}

TEST_F(ChmViewerWindowTest, ScreenReaderNamesTheContentsThePageAndTheButtons) {
    auto spokenName = [](QObject* part) {
        return QAccessible::queryAccessibleInterface(part)->text(QAccessible::Name);
    };
    EXPECT_EQ(spokenName(viewer.Contents()), QStringLiteral("目录"));
    EXPECT_EQ(spokenName(viewer.Browser()), QStringLiteral("帮助内容"));
    QStringList buttons;
    for (QToolButton* button : viewer.findChildren<QToolButton*>()) buttons << spokenName(button);
    EXPECT_EQ(buttons, QStringList({"后退", "前进", "主页"}));
}

}  // namespace
}  // namespace korvel
