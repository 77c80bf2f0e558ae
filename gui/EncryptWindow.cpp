#include "EncryptWindow.h"

namespace korvel {

EncryptWindow::EncryptWindow(WindowDialogs& dialogs, HelpOpener& help, QWidget* parent)
    : CipherWindow(WindowProfile::Encrypt(), dialogs, help, parent) {}

}  // namespace korvel
