#include "MimeEvidence.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QStringList>

namespace korvel {
namespace {

bool IsHeaderlessExtension(const QString& name) {
    static const QStringList kExtensions = {"bin", "dat", "enc", "raw", "key", "rnd"};
    return kExtensions.contains(QFileInfo(name).suffix(), Qt::CaseInsensitive);
}

bool IsTextType(const QMimeType& type) { return type.inherits("text/plain"); }

}  // namespace

MimeEvidence::MimeEvidence(QByteArrayView head, const QString& targetName)
    : headerless_(IsHeaderlessExtension(targetName)) {
    const QMimeDatabase database;
    const QByteArray data = QByteArray::fromRawData(head.data(), head.size());
    byName_ = database.mimeTypeForFile(targetName, QMimeDatabase::MatchExtension);
    byData_ = database.mimeTypeForData(data);
    both_ = database.mimeTypeForFileNameAndData(targetName, data);
}

// Text types' magic is often a character or two, which random bytes match now and then; it
// counts only when the name says the same type.
bool MimeEvidence::DataHasMagic() const {
    if (byData_.isDefault() || byData_.name() == "text/plain" ||
        byData_.name() == "application/x-zerosize") {
        return false;
    }
    return !IsTextType(byData_) || byName_.inherits(byData_.name());
}

bool MimeEvidence::NameSaysText() const { return !byName_.isDefault() && IsTextType(byName_); }

}  // namespace korvel
