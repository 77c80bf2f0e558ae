#pragma once

#include <QStringList>

#include "gui/HelpOpener.h"

namespace korvel::testing {

// Records which help files were asked for, and shows nothing.
class FakeHelpOpener : public HelpOpener {
public:
    void ShowHelp(const QString& helpFile, QWidget*) override { shownFiles << helpFile; }
    QStringList shownFiles;
};

}  // namespace korvel::testing
