#include "DecryptWindow.h"

namespace korvel {

DecryptWindow::DecryptWindow(WindowDialogs& dialogs, HelpOpener& help, QWidget* parent)
    : CipherWindow(WindowProfile::Decrypt(), dialogs, help, parent) {}

}  // namespace korvel
