#include "HtmlTextDecoder.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace korvel {

namespace {

// The declaration must appear near the top of the page; looking further only costs time.
constexpr qsizetype kDeclarationSearchLength = 2048;

}  // namespace

QByteArray HtmlTextDecoder::DeclaredCharset(const QByteArray& html) {
    static const QRegularExpression charsetPattern(
        R"(<meta[^>]*charset\s*=\s*["']?([A-Za-z0-9_\-]+))",
        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(html.left(kDeclarationSearchLength));
    const QRegularExpressionMatch match = charsetPattern.match(head);
    return match.hasMatch() ? match.captured(1).toLatin1().toLower() : QByteArray();
}

QString HtmlTextDecoder::Decode(const QByteArray& html) {
    QByteArray charset = DeclaredCharset(html);
    // gb2312 pages written on Windows routinely contain GBK characters; GB18030 covers both.
    if (charset == "gb2312" || charset == "gbk") charset = "GB18030";
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) return decoder.decode(html);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    return utf8.decode(html);
}

}  // namespace korvel
