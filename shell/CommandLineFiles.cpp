#include "CommandLineFiles.h"

#include <QFileInfo>

namespace korvel {

QList<QUrl> CommandLineFiles::FromArguments(const QStringList& arguments) {
    QList<QUrl> files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].isEmpty()) continue;
        files.append(QUrl::fromLocalFile(QFileInfo(arguments[i]).absoluteFilePath()));
    }
    return files;
}

}  // namespace korvel
