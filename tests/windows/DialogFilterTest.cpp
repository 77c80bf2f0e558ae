#include "DialogFilter.h"
#include "FolderPaths.h"
#include "gtest/gtest.h"

namespace korvel {
namespace {

TEST(ToQtFilterTest, MapsEntriesAndTreatsStarDotStarAsEveryFile) {
    EXPECT_EQ(ToQtFilter(QStringLiteral("所有文件|*.*")), QStringLiteral("所有文件 (*)"));
    EXPECT_EQ(ToQtFilter(QStringLiteral("文本|*.txt;*.md|全部|*.*")),
              QStringLiteral("文本 (*.txt *.md);;全部 (*)"));
}

TEST(ToQtFilterTest, EmptyPatternsOfferNoEntry) {
    EXPECT_EQ(ToQtFilter(QStringLiteral("|")), QString());
    EXPECT_EQ(ToQtFilter(QString()), QString());
    EXPECT_EQ(ToQtFilter(QStringLiteral("无|")), QString());
    EXPECT_EQ(ToQtFilter(QStringLiteral("|*.bin")), QStringLiteral(" (*.bin)"));
}

TEST(PathInFolderTest, ExactlyOneSeparator) {
    EXPECT_EQ(PathInFolder(QStringLiteral("/opt/korvel"), QStringLiteral("uae")),
              QStringLiteral("/opt/korvel/uae"));
    EXPECT_EQ(PathInFolder(QStringLiteral("/"), QStringLiteral("uae")), QStringLiteral("/uae"));
    EXPECT_EQ(PathInFolder(QStringLiteral("C:/"), QStringLiteral("help.chm")),
              QStringLiteral("C:/help.chm"));
    EXPECT_EQ(PathInFolder(QStringLiteral("D:\\"), QStringLiteral("uae")),
              QStringLiteral("D:\\uae"));
}

}  // namespace
}  // namespace korvel
