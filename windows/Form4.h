#pragma once

#include "CipherWindow.h"

namespace korvel {

// The encrypt window.
class Form4 : public CipherWindow {
    Q_OBJECT
public:
    Form4(WindowDialogs& dialogs, HelpOpener& help, QWidget* parent = nullptr);
};

}  // namespace korvel
