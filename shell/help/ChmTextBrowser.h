#pragma once

#include <QTextBrowser>

namespace korvel {

class ChmArchive;

// A QTextBrowser whose pages, style sheets and pictures come from a .chm archive.
// Pages are addressed as "chm:/path/in/archive.html".
class ChmTextBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit ChmTextBrowser(QWidget* parent = nullptr);

    void SetArchive(const ChmArchive* archive);
    static QUrl UrlOf(const QString& pathInArchive);
    static QString PathOf(const QUrl& url);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    QUrl Resolved(const QUrl& name) const;

    const ChmArchive* archive_ = nullptr;
};

}  // namespace korvel
