#pragma once

#include <QByteArray>
#include <QString>

namespace korvel {

// Turns the bytes of an HTML page or sitemap into text, honouring a charset declared in
// the page (help projects in Chinese often use gb2312) and falling back to UTF-8.
class HtmlTextDecoder {
public:
    static QString Decode(const QByteArray& html);
    static QByteArray DeclaredCharset(const QByteArray& html);
};

}  // namespace korvel
