// Times one encryption through the encrypt window, progress mode and event handling included,
// against the same encryption through the cipher core with an observer that does nothing.
// Run by hand, never as a test:
//
//   QT_QPA_PLATFORM=offscreen window_bench [size-MiB [folder]]   defaults: 1024, /dev/shm

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

#include "CipherRun.h"
#include "Form4.h"
#include "HelpOpener.h"
#include "SilentObserver.h"
#include "WindowDialogs.h"

namespace {

// Chooses the prepared source and target and closes every box at once.
class ScriptedDialogs : public korvel::WindowDialogs {
public:
    ScriptedDialogs(QString source, QString target)
        : source_(std::move(source)), target_(std::move(target)) {}
    std::optional<QString> ShowOpen(QWidget*, const QString&, const QString&) override {
        return source_;
    }
    std::optional<QString> ShowSave(QWidget*, const QString&, const QString&) override {
        return target_;
    }
    void ShowInformation(QWidget*, const QString&, const QString& text) override {
        lastMessage = text;
    }
    void ShowWarning(QWidget*, const QString&, const QString& text) override { lastMessage = text; }
    bool AskYesNo(QWidget*, const QString&, const QString&) override { return false; }
    QString lastMessage;

private:
    QString source_, target_;
};

class NoHelp : public korvel::HelpOpener {
public:
    void ShowHelp(const QString&, QWidget*) override {}
};

bool WriteRandomFile(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    std::mt19937_64 random(7);
    QByteArray block(1 << 20, '\0');
    for (qint64 written = 0; written < size; written += block.size()) {
        for (qsizetype i = 0; i + 8 <= block.size(); i += 8) {
            const quint64 value = random();
            memcpy(block.data() + i, &value, 8);
        }
        const qint64 chunk = std::min<qint64>(block.size(), size - written);
        if (file.write(block.constData(), chunk) != chunk) return false;
    }
    return true;
}

double CoreSeconds(const QString& folder, const QString& source, const QString& target) {
    korvel::RunRequest request;
    request.direction = korvel::Direction::Encrypt;
    request.source = QFile::encodeName(source).toStdString();
    request.target = QFile::encodeName(target).toStdString();
    request.password = "Secret12";
    request.keyFile = QFile::encodeName(folder + "/uae").toStdString();
    korvel::bench::SilentObserver observer;
    QElapsedTimer timer;
    timer.start();
    korvel::CipherRun(request, observer);
    return timer.nsecsElapsed() / 1e9;
}

double WindowSeconds(const QString& folder, const QString& source, const QString& target) {
    ScriptedDialogs dialogs(source, target);
    NoHelp help;
    auto* window = new korvel::Form4(dialogs, help);
    window->overrideApplicationFolder(folder);
    window->show();
    QApplication::processEvents();
    window->findChild<QAbstractButton*>("Command1")->click();
    window->findChild<QAbstractButton*>("Command2")->click();
    window->findChild<QLineEdit*>("Text3")->setText("Secret12");
    window->findChild<QLineEdit*>("Text4")->setText("Secret12");
    window->findChild<QAbstractButton*>("Command3")->click();
    QElapsedTimer timer;
    timer.start();
    window->findChild<QAbstractButton*>("Command4")->click();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (dialogs.lastMessage != QStringLiteral("密文已经生成")) {
        std::fprintf(stderr, "window run ended with: %s\n", qPrintable(dialogs.lastMessage));
    }
    delete window;
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const qint64 mib = argc > 1 ? QString(argv[1]).toLongLong() : 1024;
    const QString parent = argc > 2 ? QString(argv[2]) : QStringLiteral("/dev/shm");
    QDir(parent).mkpath("korvel_window_bench");
    const QString folder = parent + "/korvel_window_bench";
    const QString source = folder + "/plain.bin";
    const QString target = folder + "/cipher.bin";
    if (!WriteRandomFile(folder + "/uae", 1 << 20) || !WriteRandomFile(source, mib << 20)) {
        std::fprintf(stderr, "cannot write the files in %s\n", qPrintable(folder));
        return 1;
    }
    // On a busy machine single rounds scatter widely; the best of each side is the figure to use.
    double bestCore = 1e300, bestWindow = 1e300;
    for (int round = 1; round <= 5; ++round) {
        const double core = CoreSeconds(folder, source, target);
        const double window = WindowSeconds(folder, source, target);
        bestCore = std::min(bestCore, core);
        bestWindow = std::min(bestWindow, window);
        std::printf("round %d: %lld MiB  core %.3f s  window %.3f s  (%+.1f %%)\n", round, mib,
                    core, window, (window / core - 1.0) * 100.0);
    }
    std::printf("best: core %.3f s  window %.3f s  (%+.1f %%)\n", bestCore, bestWindow,
                (bestWindow / bestCore - 1.0) * 100.0);
    QDir(folder).removeRecursively();
    return 0;
}
