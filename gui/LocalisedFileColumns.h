#pragma once

#include <QIdentityProxyModel>

namespace korvel {

// Qt's file dialog writes the size and date columns in the machine's locale, which is English on
// many machines (LANG=C), and then too wide for their columns. Put between the dialog and its
// file system model, this writes them in the program's default locale instead. The type column
// follows that locale already, except for folders.
class LocalisedFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override;
};

}  // namespace korvel
