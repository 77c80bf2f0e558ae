#include "Form5.h"

namespace korvel {

Form5::Form5(WindowDialogs& dialogs, HelpOpener& help, QWidget* parent)
    : CipherWindow(WindowProfile::Decrypt(), dialogs, help, parent) {}

}  // namespace korvel
