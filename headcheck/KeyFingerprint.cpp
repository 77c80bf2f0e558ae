#include "KeyFingerprint.h"

#include <QCryptographicHash>
#include <QFile>
#include <QStringList>

namespace korvel {

std::optional<QString> KeyFileFingerprint(const QString& keyFilePath) {
    QFile file(keyFilePath);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return std::nullopt;
    const QByteArray digits = hash.result().left(8).toHex().toUpper();
    QStringList groups;
    for (qsizetype i = 0; i < digits.size(); i += 4)
        groups << QString::fromLatin1(digits.mid(i, 4));
    return groups.join(QLatin1Char('-'));
}

}  // namespace korvel
