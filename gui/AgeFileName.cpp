#include "AgeFileName.h"

#include <QFileInfo>

namespace korvel {

namespace {

const QString kSuffix = QStringLiteral(".age");

}  // namespace

bool AgeFileName::Has(const QString& path) {
    // ".age" alone is a hidden file's whole name, not a name with a suffix.
    const QString name = QFileInfo(path).fileName();
    return name.size() > kSuffix.size() && name.endsWith(kSuffix, Qt::CaseInsensitive);
}

QString AgeFileName::Without(const QString& path) {
    return Has(path) ? path.chopped(kSuffix.size()) : path;
}

}  // namespace korvel
