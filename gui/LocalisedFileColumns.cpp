#include "LocalisedFileColumns.h"

#include <QFileSystemModel>
#include <QLocale>

namespace korvel {

namespace {

constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

}  // namespace

QVariant LocalisedFileColumns::data(const QModelIndex& index, int role) const {
    QVariant original = QIdentityProxyModel::data(index, role);
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files || original.toString().isEmpty()) return original;
    const QModelIndex source = mapToSource(index);
    switch (index.column()) {
        case kSizeColumn:
            return QLocale().formattedDataSize(files->size(source));
        case kTypeColumn:  // Qt's Chinese translations lack this one word
            return files->isDir(source) ? QStringLiteral("文件夹") : original;
        case kDateColumn:
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        default:
            return original;
    }
}

}  // namespace korvel
