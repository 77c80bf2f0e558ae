#include <QApplication>
#include <QPointer>

#include "CommandLineFiles.h"
#include "FileHandOver.h"
#include "InstanceLock.h"
#include "ProgramLocale.h"
#include "ShellWindows.h"
#include "SplashWindow.h"
#include "gui/ChineseTranslations.h"
#include "gui/QtWindowDialogs.h"
#include "shell/help/ChmHelpOpener.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    korvel::AdoptProgramLocale();
    korvel::InstallChineseTranslations(app);

    korvel::QtWindowDialogs dialogs;
    korvel::ChmHelpOpener help(dialogs);
    korvel::InstanceLock instanceLock(korvel::InstanceLock::DefaultLockFilePath());
    korvel::ShellWindows windows(dialogs, help);
    // A second start hands its files to the running copy and ends silently: the splash checks
    // first.
    windows.HandFilesToWorkingWindow(korvel::CommandLineFiles::FromArguments(app.arguments()));

    QPointer<korvel::SplashWindow> splash = new korvel::SplashWindow(instanceLock, windows);
    if (!splash->Load()) {
        delete splash.data();
        const QList<QUrl> files = korvel::CommandLineFiles::FromArguments(app.arguments());
        if (!files.isEmpty()) {
            korvel::FileHandOver::SendToRunningCopy(korvel::FileHandOver::DefaultName(), files);
        }
        return 0;
    }
    // This copy holds the instance lock: later starts hand their files to it.
    korvel::FileHandOver handOver(
        korvel::FileHandOver::DefaultName(),
        [&windows](const QList<QUrl>& files) { windows.TakeFilesFromSecondStart(files); });
    splash->show();
    const int exitCode = QApplication::exec();
    delete splash.data();
    return exitCode;
}
