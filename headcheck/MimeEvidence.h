#pragma once

#include <QByteArrayView>
#include <QMimeType>
#include <QString>

namespace korvel {

// What the shared MIME database makes of a head and of the name its file gets.
class MimeEvidence {
public:
    MimeEvidence(QByteArrayView head, const QString& targetName);

    // The type that name and data point to together.
    QString TypeName() const { return both_.name(); }
    bool TypeInherits(const QString& typeName) const { return both_.inherits(typeName); }
    // The data matches the magic of a type, not only the look of text.
    bool DataHasMagic() const;
    // The name says nothing of the type, or a type related to the one the data's magic says (a
    // JAR's name for a zip's magic). A wrong key file's random bytes now and then match a short
    // magic, which is seldom the one the name says.
    bool NameAgreesWithMagic() const;
    QString DataTypeName() const { return byData_.name(); }
    // The name's extension is that of a text type, and not a number.
    bool NameSaysText() const;
    // The name's extension is one given to raw, random or encrypted data, which has no header
    // and looks random when right.
    bool NameSaysHeaderless() const { return headerless_; }

private:
    QString targetName_;
    QMimeType byName_;
    QMimeType byData_;
    QMimeType both_;
    bool headerless_;
    bool startsWithText_;
};

}  // namespace korvel
