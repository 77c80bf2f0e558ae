#pragma once

#include "CipherWindow.h"

namespace korvel {

// The decrypt window.
class Form5 : public CipherWindow {
    Q_OBJECT
public:
    Form5(WindowDialogs& dialogs, HelpOpener& help, QWidget* parent = nullptr);
};

}  // namespace korvel
