#include "shell/help/ChmArchive.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

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

}  // namespace
}  // namespace korvel
