#include "ChmTextBrowser.h"

#include <QTextDocument>

#include "ChmArchive.h"
#include "HtmlTextDecoder.h"

namespace korvel {

namespace {

const QString kScheme = QStringLiteral("chm");

QString MissingPage(const QString& path) {
    return QStringLiteral("<html><body><h2>找不到此页</h2><p>%1</p></body></html>")
        .arg(path.toHtmlEscaped());
}

}  // namespace

ChmTextBrowser::ChmTextBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

void ChmTextBrowser::SetArchive(const ChmArchive* archive) { archive_ = archive; }

QUrl ChmTextBrowser::UrlOf(const QString& pathInArchive) {
    QString path = pathInArchive;
    // Table-of-contents entries may point into the archive as "file.chm::/page.html".
    const qsizetype separator = path.indexOf("::");
    if (separator >= 0) path = path.mid(separator + 2);
    QUrl url = QUrl::fromEncoded(ChmArchive::NormalisedPath(path).toUtf8(), QUrl::TolerantMode);
    url.setScheme(kScheme);
    return url;
}

QString ChmTextBrowser::PathOf(const QUrl& url) { return ChmArchive::NormalisedPath(url.path()); }

QUrl ChmTextBrowser::Resolved(const QUrl& name) const {
    if (!name.isRelative()) return name;
    const QUrl base = source().isEmpty() ? UrlOf("/") : source();
    return base.resolved(name);
}

QVariant ChmTextBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = Resolved(name);
    if (url.scheme() != kScheme) return QTextBrowser::loadResource(type, name);
    const QString path = PathOf(url);
    const std::optional<QByteArray> content = archive_ ? archive_->Read(path) : std::nullopt;
    switch (type) {
        case QTextDocument::HtmlResource:
            return content ? HtmlTextDecoder::Decode(*content) : MissingPage(path);
        case QTextDocument::StyleSheetResource:
            return content ? QString::fromUtf8(*content) : QString();
        default:
            return content ? QVariant(*content) : QVariant();
    }
}

}  // namespace korvel
