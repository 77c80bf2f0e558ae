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
#include <vector>

#include "CipherRun.h"
#include "FakeHelpOpener.h"
#include "FakeWindowDialogs.h"
#include "Form4.h"
#include "SilentObserver.h"

namespace {

constexpr int kRounds = 7;

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
    // Chooses the prepared source and target; closes every box at once.
    korvel::testing::FakeWindowDialogs dialogs;
    dialogs.openAnswers.push_back(source);
    dialogs.saveAnswers.push_back(target);
    korvel::testing::FakeHelpOpener help;
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
    const QString message = dialogs.boxes.empty() ? QString() : dialogs.boxes.back().text;
    if (message != QStringLiteral("密文已经生成")) {
        std::fprintf(stderr, "window run ended with: %s\n", qPrintable(message));
    }
    delete window;
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
    // The first paint of the progress display loads fonts; a person's window has long been
    // painted before a large run starts, so a small warm-up run takes that out of the figures.
    const QString warmUp = folder + "/warm-up.bin";
    if (!WriteRandomFile(warmUp, 2 << 20)) return 1;
    WindowSeconds(folder, warmUp, target);

    // Single rounds scatter with the system's page allocation; the medians are the figures.
    std::vector<double> cores, windows;
    for (int round = 1; round <= kRounds; ++round) {
        cores.push_back(CoreSeconds(folder, source, target));
        windows.push_back(WindowSeconds(folder, source, target));
        std::printf("round %d: %lld MiB  core %.3f s  window %.3f s  (%+.1f %%)\n", round, mib,
                    cores.back(), windows.back(), (windows.back() / cores.back() - 1.0) * 100.0);
    }
    const double core = Median(cores), window = Median(windows);
    std::printf("median: core %.3f s  window %.3f s  (%+.1f %%)\n", core, window,
                (window / core - 1.0) * 100.0);
    QDir(folder).removeRecursively();
    return 0;
}
