#include <QApplication>
#include <QPointer>

#include "ChineseTranslations.h"
#include "ChmHelpOpener.h"
#include "CommandLineFiles.h"
#include "InstanceLock.h"
#include "ProgramLocale.h"
#include "QtWindowDialogs.h"
#include "ShellWindows.h"
#include "SplashWindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    korvel::AdoptProgramLocale();
    korvel::InstallChineseTranslations(app);

    korvel::QtWindowDialogs dialogs;
    korvel::ChmHelpOpener help(dialogs);
    korvel::InstanceLock instanceLock(korvel::InstanceLock::DefaultLockFilePath());
    korvel::ShellWindows windows(dialogs, help);
    // A second start with a file ends silently like any second start: the splash checks first.
    windows.HandFilesToWorkingWindow(korvel::CommandLineFiles::FromArguments(app.arguments()));

    QPointer<korvel::SplashWindow> splash = new korvel::SplashWindow(instanceLock, windows);
    if (!splash->Load()) {
        delete splash.data();
        return 0;
    }
    splash->show();
    const int exitCode = QApplication::exec();
    delete splash.data();
    return exitCode;
}
