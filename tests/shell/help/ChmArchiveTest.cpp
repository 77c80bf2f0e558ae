#include "shell/help/ChmArchive.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

namespace korvel {
namespace {

TEST(ChmArchiveTest, ReadsPagesOfTheBuiltHelpFile) {
    const auto archive = ChmArchive::Open(KORVEL_BUILT_HELP_FILE);
    ASSERT_NE(archive, nullptr);

    const auto page = archive->Read("/index.html");
    ASSERT_TRUE(page.has_value());
    EXPECT_TRUE(page->contains("Korvel")) << page->left(200).constData();
    EXPECT_TRUE(page->contains("</html>"));

    const auto picture = archive->Read("images/header.png");
    ASSERT_TRUE(picture.has_value());
    EXPECT_TRUE(picture->startsWith("\x89PNG"));
}

TEST(ChmArchiveTest, FindsDefaultTopicAndContentsFromProjectSettings) {
    const auto archive = ChmArchive::Open(KORVEL_BUILT_HELP_FILE);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->DefaultTopic(), "/index.html");
    EXPECT_EQ(archive->ContentsFile(), "/toc.hhc");
    EXPECT_TRUE(archive->FilePaths().contains("/keyfile.html"));
}

TEST(ChmArchiveTest, PathsAreNormalisedAndUnknownOnesAreAbsent) {
    const auto archive = ChmArchive::Open(KORVEL_BUILT_HELP_FILE);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(ChmArchive::NormalisedPath("images\\header.png"), "/images/header.png");
    EXPECT_TRUE(archive->Read("\\encrypt.html").has_value());
    EXPECT_FALSE(archive->Read("/no-such-page.html").has_value());
}

TEST(ChmArchiveTest, RefusesMissingAndNonChmFiles) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_EQ(ChmArchive::Open(folder.filePath("help.chm")), nullptr);
    EXPECT_EQ(ChmArchive::Open(folder.path()), nullptr);

    QFile garbage(folder.filePath("garbage.chm"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    EXPECT_EQ(ChmArchive::Open(garbage.fileName()), nullptr);
}

// A damaged file whose "#SYSTEM" entry claims 371 TiB (found by the fuzzer): the archive opens
// without its project settings instead of failing to allocate the bytes.
TEST(ChmArchiveTest, ReadsNoFileLongerThanAnyHelpFileHolds) {
    const auto archive = ChmArchive::Open(KORVEL_CHM_REGRESSIONS "/system-file-of-371TiB");
    ASSERT_NE(archive, nullptr);
    EXPECT_FALSE(archive->Read("/#SYSTEM").has_value());
    EXPECT_TRUE(archive->DefaultTopic().isEmpty());
}

// The built help file with its first listing page's link to the next page pointing back at
// itself, as in a damaged file: chmlib follows the link without end.
QByteArray HelpFileWithListingInACircle() {
    // Offsets in the file's header, its directory's header and a listing page's header.
    constexpr qsizetype kDirectoryOffset = 0x48;
    constexpr qsizetype kPageSize = 0x10;
    constexpr qsizetype kFirstListingPage = 0x20;
    constexpr qsizetype kDirectoryHeaderSize = 0x54;
    constexpr qsizetype kNextPage = 0x10;
    QFile built(KORVEL_BUILT_HELP_FILE);
    if (!built.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = built.readAll();
    const char* at = bytes.constData();
    const auto directory =
        static_cast<qsizetype>(qFromLittleEndian<quint64>(at + kDirectoryOffset));
    const qsizetype pageSize = qFromLittleEndian<quint32>(at + directory + kPageSize);
    const qint32 firstPage = qFromLittleEndian<qint32>(at + directory + kFirstListingPage);
    const qsizetype page = directory + kDirectoryHeaderSize + firstPage * pageSize;
    qToLittleEndian<qint32>(firstPage, bytes.data() + page + kNextPage);
    return bytes;
}

// Once listed each file once (chmlib would list for ever); now the directory is refused before
// chmlib reads it, as the viewer refuses any help file it cannot open.
TEST(ChmArchiveTest, RefusesAHelpFileWhoseListingPagesLinkInACircle) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile damaged(folder.filePath("help.chm"));
    const QByteArray bytes = HelpFileWithListingInACircle();
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(bytes);
    damaged.close();

    EXPECT_EQ(ChmArchive::Open(damaged.fileName()), nullptr);
}

}  // namespace
}  // namespace korvel
