#include <QStringList>

#include "gtest/gtest.h"
#include "gui/DialogFilter.h"
#include "gui/FolderPaths.h"
#include "gui/MessageWrapping.h"

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

TEST(WithBreakChancesTest, MessagesThatWrapAnywayStayAsTheyAre) {
    const QString messages[] = {
        QStringLiteral("密文已经生成"),
        QStringLiteral("无法写入文件：/home/user/文档/一个非常长的文件夹名称/另一个很长的子文件夹/"
                       "Korvel加密后的密文文件_2024年12月31日_最终版本.bin\nNo space left"),
        QStringLiteral("C:\\Users\\user\\Documents\\report.docx is fine as it is"),
    };
    for (const QString& message : messages) EXPECT_EQ(WithBreakChances(message), message);
}

TEST(WithBreakChancesTest, LongNamesGetInvisibleBreakChancesAndLoseNothing) {
    const QString name = QStringLiteral("a_file_name_").repeated(15) + QStringLiteral(".bin");
    const QString message =
        QStringLiteral("无法写入文件：/data/") + name + QStringLiteral("\nreason");
    const QString wrapped = WithBreakChances(message, 40);

    QString withoutChances = wrapped;
    withoutChances.remove(QChar(0x200B));
    EXPECT_EQ(withoutChances, message) << "only invisible characters are added";
    const QStringList pieces = wrapped.split(QChar(0x200B));
    EXPECT_GE(pieces.size(), name.size() / 40);
    for (const QString& piece : pieces.mid(1, pieces.size() - 2)) EXPECT_EQ(piece.size(), 40);
}

TEST(WithBreakChancesTest, NeverSplitsACharacterOutsideTheBasicPlane) {
    // Mathematical bold letters: two UTF-16 units each, and no line break between them.
    const QString letters = QStringLiteral("\U0001D41A\U0001D41B").repeated(30);
    const QString wrapped = WithBreakChances(letters, 7);
    for (qsizetype i = 0; i < wrapped.size(); ++i) {
        if (wrapped[i] != QChar(0x200B)) continue;
        ASSERT_GT(i, 0);
        EXPECT_FALSE(wrapped[i - 1].isHighSurrogate()) << "break inside a pair at " << i;
    }
    EXPECT_GT(wrapped.size(), letters.size());
}

}  // namespace
}  // namespace korvel
