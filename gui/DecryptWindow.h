#pragma once

#include "CipherWindow.h"

namespace korvel {

// The decrypt window.
class DecryptWindow : public CipherWindow {
    Q_OBJECT
public:
    DecryptWindow(WindowDialogs& dialogs, HelpOpener& help, QWidget* parent = nullptr);
};

}  // namespace korvel
