#include "ProgramLocale.h"

#include <QLocale>
#include <clocale>

namespace korvel {

void AdoptProgramLocale() {
#ifndef _WIN32
    std::setlocale(LC_ALL, "");
    // Numbers the C library reads or writes keep the decimal point, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
#endif
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China));
}

}  // namespace korvel
