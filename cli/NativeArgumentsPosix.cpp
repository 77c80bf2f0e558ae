#include <QFile>
#include <QStringDecoder>
#include <algorithm>

#include "NativeArguments.h"

namespace korvel {

namespace {

constexpr char16_t kEscapedByte = 0xDC00;

bool IsEscapedByte(QChar character) {
    return character.unicode() >= kEscapedByte + 0x80 && character.unicode() <= kEscapedByte + 0xFF;
}

// The system's encoding is UTF-8 (as QFile::decodeName takes it), but QFile::decodeName replaces
// the bytes that are not with U+FFFD, and so loses them.
QString ArgumentText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(bytes);
    if (!utf8.hasError()) return decoded;
    QString escaped;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        escaped += value < 0x80 ? QChar(value) : QChar(static_cast<char16_t>(kEscapedByte + value));
    }
    return escaped;
}

}  // namespace

QStringList NativeArguments::Of(int argc, char* argv[]) {
    QStringList arguments;
    for (int index = 1; index < argc; ++index) arguments << ArgumentText(QByteArray(argv[index]));
    return arguments;
}

std::filesystem::path NativeArguments::PathOf(const QString& argument) {
    if (!std::any_of(argument.begin(), argument.end(), IsEscapedByte)) {
        return std::filesystem::path(QFile::encodeName(argument).toStdString());
    }
    QByteArray bytes;
    qsizetype runStart = 0;  // of the characters since the last escaped byte
    for (qsizetype index = 0; index <= argument.size(); ++index) {
        if (index < argument.size() && !IsEscapedByte(argument[index])) continue;
        bytes += argument.mid(runStart, index - runStart).toUtf8();
        if (index < argument.size()) {
            bytes += static_cast<char>(argument[index].unicode() - kEscapedByte);
        }
        runStart = index + 1;
    }
    return std::filesystem::path(bytes.toStdString());
}

}  // namespace korvel
