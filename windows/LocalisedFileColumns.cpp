#include "LocalisedFileColumns.h"

#include <QFileSystemModel>
#include <QLocale>

namespace korvel {

namespace {

constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;

}  // namespace

QVariant LocalisedFileColumns::data(const QModelIndex& index, int role) const {
    const QVariant original = QIdentityProxyModel::data(index, role);
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files || original.toString().isEmpty()) return original;
    const QModelIndex source = mapToSource(index);
    switch (index.column()) {
        case kSizeColumn:
            return QLocale().formattedDataSize(files->size(source));
        case kDateColumn:
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        default:
            return original;
    }
}

}  // namespace korvel
