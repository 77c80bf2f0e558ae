#pragma once

#include "CipherWindow.h"

namespace korvel {

// The encrypt window.
class EncryptWindow : public CipherWindow {
    Q_OBJECT
public:
    EncryptWindow(WindowDialogs& dialogs, HelpOpener& help, QWidget* parent = nullptr);
};

}  // namespace korvel
