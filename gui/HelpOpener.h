#pragma once

#include <QString>

class QWidget;

namespace korvel {

// Shows the help file when F1 reaches a cipher window. The shell supplies the real viewer.
class HelpOpener {
public:
    virtual ~HelpOpener() = default;
    virtual void ShowHelp(const QString& helpFile, QWidget* requestingWindow) = 0;
};

}  // namespace korvel
