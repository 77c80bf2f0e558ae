#include "shell/help/ChmContentsParser.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

const char* const kNestedSitemap = R"(
<HTML><BODY>
<OBJECT type="text/site properties"><param name="Window Styles" value="0x800025"></OBJECT>
<UL>
  <LI> <OBJECT type="text/sitemap">
      <param name="Name" value="概述">
      <param name="Local" value="index.html">
      </OBJECT>
  <UL>
    <LI> <OBJECT type="text/sitemap"><param name="Name" value="加密"><param name="Local" value="encrypt.html"></OBJECT>
    <LI> <OBJECT type="text/sitemap"><param name="Name" value="细节">
      </OBJECT>
    <UL>
      <LI> <OBJECT type="text/sitemap"><param name="Name" value="密码"><param name="Local" value="sub/password.html#rules"></OBJECT>
    </UL>
    <LI> <OBJECT type="text/sitemap"><param name="Name" value="注意"><param name="Local" value="notes.html"></OBJECT>
  </UL>
  <LI> <OBJECT type="text/sitemap"><param name="Name" value="附录"><param name="Local" value="appendix.html"></OBJECT>
</UL>
</BODY></HTML>)";

TEST(ChmContentsParserTest, BuildsTheNestedTreeInDocumentOrder) {
    const auto topics = ChmContentsParser::Parse(QString::fromUtf8(kNestedSitemap));

    ASSERT_EQ(topics.size(), 2u);
    EXPECT_EQ(topics[0].name, "概述");
    EXPECT_EQ(topics[0].path, "index.html");
    EXPECT_EQ(topics[1].name, "附录");
    EXPECT_TRUE(topics[1].children.empty());

    const auto& chapters = topics[0].children;
    ASSERT_EQ(chapters.size(), 3u);
    EXPECT_EQ(chapters[0].name, "加密");
    EXPECT_EQ(chapters[1].name, "细节");
    EXPECT_TRUE(chapters[1].path.isEmpty());
    ASSERT_EQ(chapters[1].children.size(), 1u);
    EXPECT_EQ(chapters[1].children[0].path, "sub/password.html#rules");
    EXPECT_EQ(chapters[2].name, "注意");
}

TEST(ChmContentsParserTest, AcceptsAnyCaseQuotingAndEntities) {
    const QString sitemap = QStringLiteral(
        "<ul><li><object TYPE='TEXT/SITEMAP'>"
        "<PARAM VALUE=\"Q &amp; A\" NAME=\"name\"><param name=local value=faq.html>"
        "</object></ul>");
    const auto topics = ChmContentsParser::Parse(sitemap);
    ASSERT_EQ(topics.size(), 1u);
    EXPECT_EQ(topics[0].name, "Q & A");
    EXPECT_EQ(topics[0].path, "faq.html");
}

TEST(ChmContentsParserTest, IgnoresNonTopicObjectsAndToleratesBrokenNesting) {
    EXPECT_TRUE(ChmContentsParser::Parse("<object type=\"text/site properties\">"
                                         "<param name=\"Name\" value=\"x\"></object>")
                    .empty());
    EXPECT_TRUE(ChmContentsParser::Parse("").empty());

    const auto topics = ChmContentsParser::Parse(
        "</ul></ul><ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"A\">"
        "</object><ul><ul>");
    ASSERT_EQ(topics.size(), 1u);
    EXPECT_EQ(topics[0].name, "A");
}

}  // namespace
}  // namespace korvel
