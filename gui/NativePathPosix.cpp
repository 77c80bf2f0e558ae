#include <QFile>

#include "NativePath.h"

namespace korvel {

std::filesystem::path ToFilesystemPath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

}  // namespace korvel
