#pragma once

#include "HelpNotice.h"

namespace korvel {

// The system's information box: title "提示信息", information icon, one OK button.
class MessageBoxHelpNotice : public HelpNotice {
public:
    void ShowHelpNotice(const QString& text, QWidget* parent) override;
};

}  // namespace korvel
