#include "Form4.h"

namespace korvel {

Form4::Form4(WindowDialogs& dialogs, HelpOpener& help, QWidget* parent)
    : CipherWindow(WindowProfile::Encrypt(), dialogs, help, parent) {}

}  // namespace korvel
