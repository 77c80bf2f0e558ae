#include "MimeEvidence.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QStringList>

namespace korvel {
namespace {

// Raw, random, encrypted or key data, key containers whose content is mostly key material, and
// Brotli, which has no header.
bool IsHeaderlessExtension(const QString& name) {
    static const QStringList kExtensions = {"bin", "dat", "enc", "raw", "key", "rnd",
                                            "gpg", "pgp", "p12", "pfx", "br",  "brotli"};
    return kExtensions.contains(QFileInfo(name).suffix(), Qt::CaseInsensitive);
}

bool StartsWithText(QByteArrayView head) {
    constexpr qsizetype kTextStart = 16;
    if (head.size() < kTextStart) {
        return false;
    }
    for (const char byte : head.first(kTextStart)) {
        if ((byte < 0x20 || byte > 0x7E) && byte != '\n' && byte != '\r' && byte != '\t') {
            return false;
        }
    }
    return true;
}

bool IsTextType(const QMimeType& type) { return type.inherits("text/plain"); }

}  // namespace

MimeEvidence::MimeEvidence(QByteArrayView head, const QString& targetName)
    : targetName_(targetName),
      headerless_(IsHeaderlessExtension(targetName)),
      startsWithText_(StartsWithText(head)) {
    const QMimeDatabase database;
    const QByteArray data = QByteArray::fromRawData(head.data(), head.size());
    byName_ = database.mimeTypeForFile(targetName, QMimeDatabase::MatchExtension);
    byData_ = database.mimeTypeForData(data);
    both_ = database.mimeTypeForFileNameAndData(targetName, data);
}

// Text types' magic is often a character or two, which random bytes match now and then; it
// counts only when the name says the same type or the head starts with text.
bool MimeEvidence::DataHasMagic() const {
    if (byData_.isDefault() || byData_.name() == "text/plain" ||
        byData_.name() == "application/x-zerosize") {
        return false;
    }
    return !IsTextType(byData_) || byName_.inherits(byData_.name()) || startsWithText_;
}

bool MimeEvidence::NameAgreesWithMagic() const {
    return byName_.isDefault() || byName_.inherits(byData_.name()) ||
           byData_.inherits(byName_.name());
}

// A number for an extension (a manual's section, a version) says little about the content.
bool MimeEvidence::NameSaysText() const {
    bool numeric = false;
    QFileInfo(targetName_).suffix().toInt(&numeric);
    return !byName_.isDefault() && IsTextType(byName_) && !numeric && !headerless_;
}

}  // namespace korvel
