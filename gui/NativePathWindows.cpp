#include <QDir>
#include <QFileInfo>

#include "NativePath.h"

namespace korvel {

namespace {

// Windows opens a path longer than MAX_PATH only in its extended form, "\\?\C:\..." or
// "\\?\UNC\server\share\...", which must be absolute and use backslashes only.
QString ExtendedLengthPath(const QString& text) {
    constexpr qsizetype kPlainPathLimit = 247;  // a folder's limit, lower than a file's
    const QString native = QDir::toNativeSeparators(text);
    if (native.size() <= kPlainPathLimit || native.startsWith(QStringLiteral("\\\\?\\"))) {
        return native;
    }
    const QString absolute =
        QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(text).absoluteFilePath()));
    if (absolute.startsWith(QStringLiteral("\\\\"))) {
        return QStringLiteral("\\\\?\\UNC\\") + absolute.mid(2);
    }
    return QStringLiteral("\\\\?\\") + absolute;
}

}  // namespace

std::filesystem::path ToFilesystemPath(const QString& text) {
    return std::filesystem::path(ExtendedLengthPath(text).toStdWString());
}

}  // namespace korvel
