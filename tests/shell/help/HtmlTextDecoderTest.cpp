#include "shell/help/HtmlTextDecoder.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(HtmlTextDecoderTest, DecodesPagesDeclaredAsGb2312) {
    // "加密" in GB2312 is BC D3 C3 DC; 0x95 0x4B is a GBK-only character (昁) that
    // pages labelled gb2312 still carry.
    const QByteArray page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
        "</head><body>\xbc\xd3\xc3\xdc \x95\x4b</body></html>";
    EXPECT_EQ(HtmlTextDecoder::DeclaredCharset(page), "gb2312");
    const QString text = HtmlTextDecoder::Decode(page);
    EXPECT_TRUE(text.contains(QStringLiteral("加密 昁"))) << text.toStdString();
}

TEST(HtmlTextDecoderTest, DecodesUtf8DeclaredOrNot) {
    const QByteArray declared = "<meta charset=\"UTF-8\"><p>\xe5\xaf\x86\xe7\xa0\x81</p>";
    EXPECT_EQ(HtmlTextDecoder::DeclaredCharset(declared), "utf-8");
    EXPECT_TRUE(HtmlTextDecoder::Decode(declared).contains(QStringLiteral("密码")));

    const QByteArray undeclared = "<p>\xe5\xaf\x86\xe7\xa0\x81</p>";
    EXPECT_TRUE(HtmlTextDecoder::DeclaredCharset(undeclared).isEmpty());
    EXPECT_TRUE(HtmlTextDecoder::Decode(undeclared).contains(QStringLiteral("密码")));
}

TEST(HtmlTextDecoderTest, UnknownCharsetFallsBackToUtf8) {
    const QByteArray page = "<meta charset=\"x-no-such-charset\"><p>\xe5\xaf\x86</p>";
    EXPECT_TRUE(HtmlTextDecoder::Decode(page).contains(QStringLiteral("密")));
}

}  // namespace
}  // namespace korvel
