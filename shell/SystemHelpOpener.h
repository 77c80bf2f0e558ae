#pragma once

#include "HelpOpener.h"

namespace korvel {

// Hands the help file to whatever viewer the desktop associates with it.
class SystemHelpOpener : public HelpOpener {
public:
    void ShowHelp(const QString& helpFile, QWidget* requestingWindow) override;
};

}  // namespace korvel
