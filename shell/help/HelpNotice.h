#pragma once

#include <QString>

class QWidget;

namespace korvel {

// Tells the user that the help cannot be shown. Tests replace the message box with a fake.
class HelpNotice {
public:
    virtual ~HelpNotice() = default;
    virtual void ShowHelpNotice(const QString& text, QWidget* parent) = 0;
};

}  // namespace korvel
