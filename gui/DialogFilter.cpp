#include "DialogFilter.h"

#include <QStringList>

namespace korvel {

namespace {

QString ToQtPatterns(const QString& patterns) {
    QStringList parts = patterns.split(u';', Qt::SkipEmptyParts);
    for (QString& part : parts) {
        part = part.trimmed();
        if (part == u"*.*") part = QStringLiteral("*");
    }
    parts.removeAll(QString());
    return parts.join(u' ');
}

}  // namespace

QString ToQtFilter(const QString& pipeFilter) {
    const QStringList fields = pipeFilter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QString patterns = ToQtPatterns(fields[i + 1]);
        if (patterns.isEmpty()) continue;
        entries << QStringLiteral("%1 (%2)").arg(fields[i], patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace korvel
