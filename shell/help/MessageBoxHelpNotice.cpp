#include "MessageBoxHelpNotice.h"

#include <QMessageBox>

namespace korvel {

void MessageBoxHelpNotice::ShowHelpNotice(const QString& text, QWidget* parent) {
    QMessageBox::information(parent, QStringLiteral("提示信息"), text);
}

}  // namespace korvel
