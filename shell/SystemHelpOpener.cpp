#include "SystemHelpOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace korvel {

void SystemHelpOpener::ShowHelp(const QString& helpFile, QWidget*) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

}  // namespace korvel
