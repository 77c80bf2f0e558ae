#include "CommandLineFiles.h"

#include <QFileInfo>

#include "gui/AgeFileName.h"

namespace korvel {

QList<QUrl> CommandLineFiles::FromArguments(const QStringList& arguments) {
    QList<QUrl> files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].isEmpty()) continue;
        files.append(QUrl::fromLocalFile(QFileInfo(arguments[i]).absoluteFilePath()));
    }
    return files;
}

bool CommandLineFiles::AreOneAgeFile(const QList<QUrl>& files) {
    return files.size() == 1 && files.first().isLocalFile() &&
           AgeFileName::Has(files.first().toLocalFile()) &&
           !QFileInfo(files.first().toLocalFile()).isDir();
}

}  // namespace korvel
