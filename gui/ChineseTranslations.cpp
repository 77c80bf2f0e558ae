#include "ChineseTranslations.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace korvel {

bool InstallChineseTranslations(QApplication& application) {
    auto* translator = new QTranslator(&application);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

}  // namespace korvel
