// Times one encryption through the encrypt window, its run on its own thread and its progress
// display on the window's, against the same encryption through the cipher core with an observer
// that does nothing, also on a thread of its own. Both elapsed and processor time (of every thread
// of the process) are given: on a machine shared with other work the elapsed time scatters far more
// than the processor time. Run by hand, never as a test:
//
//   QT_QPA_PLATFORM=offscreen window_bench [size-MiB,... [folder [rounds [both|core|window]]]]
//   defaults: 256,1024 /dev/shm 9 both
//
// With only the core's or only the window's runs, the program suits valgrind's callgrind: the
// difference of the two counts is what the window adds, without the noise of a shared machine.

#include <unistd.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

#include "SilentObserver.h"
#include "gui/EncryptWindow.h"
#include "run/CipherRun.h"
#include "tests/support/FakeHelpOpener.h"
#include "tests/support/FakeWindowDialogs.h"

namespace {

struct Cost {
    double elapsed = 0;
    double processor = 0;
};

class Stopwatch {
public:
    Cost Read() const {
        return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(),
                static_cast<double>(std::clock() - cpuStart_) / CLOCKS_PER_SEC};
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::clock_t cpuStart_ = std::clock();
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

Cost CoreRun(const QString& folder, const QString& source, const QString& target) {
    korvel::RunRequest request;
    request.direction = korvel::Direction::Encrypt;
    request.source = QFile::encodeName(source).toStdString();
    request.target = QFile::encodeName(target).toStdString();
    request.password = "Secret12";
    request.keyFile = QFile::encodeName(folder + "/uae").toStdString();
    korvel::bench::SilentObserver observer;
    // On a thread of its own, as the window's run: a run on a thread started for it meets the
    // system differently from one on the program's first thread (on this virtual machine, some
    // runs of 1 GiB took twice as long), and only what the window adds is to be measured.
    const Stopwatch stopwatch;
    std::thread([&] { korvel::CipherRun(request, observer); }).join();
    return stopwatch.Read();
}

// The window is made and its files and password chosen before the clock starts; the clock stops
// when the window has had the run's last notification.
Cost WindowRun(const QString& folder, const QString& source, const QString& target) {
    korvel::testing::FakeWindowDialogs dialogs;  // closes every box at once
    dialogs.openAnswers.push_back(source);
    dialogs.saveAnswers.push_back(target);
    korvel::testing::FakeHelpOpener help;
    auto* window = new korvel::EncryptWindow(dialogs, help);
    window->overrideApplicationFolder(folder);
    window->show();
    QApplication::processEvents();
    window->findChild<QAbstractButton*>("Command1")->click();
    window->findChild<QAbstractButton*>("Command2")->click();
    window->findChild<QLineEdit*>("Text3")->setText("Secret12");
    window->findChild<QLineEdit*>("Text4")->setText("Secret12");
    window->findChild<QAbstractButton*>("Command3")->click();
    QEventLoop loop;
    QObject::connect(window, &korvel::CipherWindow::runEnded, &loop, &QEventLoop::quit);
    const Stopwatch stopwatch;
    window->findChild<QAbstractButton*>("Command4")->click();
    loop.exec();
    const Cost cost = stopwatch.Read();
    const QString message = dialogs.boxes.empty() ? QString() : dialogs.boxes.back().text;
    if (message != QStringLiteral("密文已经生成")) {
        std::fprintf(stderr, "window run ended with: %s\n", qPrintable(message));
    }
    delete window;
    return cost;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Over(double window, double core) { return (window / core - 1.0) * 100.0; }

enum class Which { Both, Core, Window };

void Measure(const QString& folder, qint64 mib, int rounds, Which which) {
    const QString source = folder + "/plain.bin";
    const QString target = folder + "/cipher.bin";
    const struct Cleanup {
        QString source, target;
        ~Cleanup() {
            QFile::remove(source);
            QFile::remove(target);
        }
    } cleanup{source, target};
    if (!WriteRandomFile(source, mib << 20)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(source));
        return;
    }
    std::vector<double> coreElapsed, coreProcessor, windowElapsed, windowProcessor;
    // Round 0 is not counted: the system's first use of memory for the target is slow in a
    // virtual machine, and the page cache and the allocator settle.
    for (int round = 0; round <= rounds; ++round) {
        // Alternating which goes first spreads the system's slow moments over both.
        Cost core, window;
        if (which != Which::Both) {
            QFile::remove(target);
            const Cost cost = which == Which::Core ? CoreRun(folder, source, target)
                                                   : WindowRun(folder, source, target);
            if (round > 0) {
                std::printf("%5lld MiB round %2d: elapsed %.3f s processor %.3f s\n", mib, round,
                            cost.elapsed, cost.processor);
            }
            continue;
        }
        if (round % 2) {
            QFile::remove(target);
            core = CoreRun(folder, source, target);
            QFile::remove(target);
            window = WindowRun(folder, source, target);
        } else {
            QFile::remove(target);
            window = WindowRun(folder, source, target);
            QFile::remove(target);
            core = CoreRun(folder, source, target);
        }
        if (round == 0) continue;
        coreElapsed.push_back(core.elapsed);
        coreProcessor.push_back(core.processor);
        windowElapsed.push_back(window.elapsed);
        windowProcessor.push_back(window.processor);
        std::printf(
            "%5lld MiB round %2d: elapsed core %.3f s window %.3f s (%+.1f %%)   "
            "processor core %.3f s window %.3f s (%+.1f %%)\n",
            mib, round, core.elapsed, window.elapsed, Over(window.elapsed, core.elapsed),
            core.processor, window.processor, Over(window.processor, core.processor));
    }
    if (which != Which::Both) return;
    const double ce = Median(coreElapsed), we = Median(windowElapsed);
    const double cp = Median(coreProcessor), wp = Median(windowProcessor);
    std::printf(
        "%5lld MiB median of %d: elapsed core %.3f s window %.3f s (%+.1f %%)   "
        "processor core %.3f s window %.3f s (%+.1f %%)\n",
        mib, rounds, ce, we, Over(we, ce), cp, wp, Over(wp, cp));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList sizes =
        QString(argc > 1 ? argv[1] : "256,1024").split(u',', Qt::SkipEmptyParts);
    const QString parent = argc > 2 ? QString(argv[2]) : QStringLiteral("/dev/shm");
    const int rounds = argc > 3 ? std::max(1, atoi(argv[3])) : 9;
    const QString only = argc > 4 ? QString(argv[4]) : QString();
    const Which which = only == u"core"     ? Which::Core
                        : only == u"window" ? Which::Window
                                            : Which::Both;
    const QString folderName = QStringLiteral("korvel_window_bench_%1").arg(getpid());
    const QString folder = parent + "/" + folderName;
    QDir(parent).mkpath(folderName);
    if (!WriteRandomFile(folder + "/uae", 1 << 20)) {
        std::fprintf(stderr, "cannot write the files in %s\n", qPrintable(folder));
        return 1;
    }
    // The first paint of the progress display loads fonts; a person's window has long been
    // painted before a large run starts, so a small warm-up run takes that out of the figures.
    const QString warmUp = folder + "/warm-up.bin";
    if (!WriteRandomFile(warmUp, 2 << 20)) return 1;
    WindowRun(folder, warmUp, folder + "/warm-up.out");
    for (const QString& size : sizes) Measure(folder, size.toLongLong(), rounds, which);
    QDir(folder).removeRecursively();
    return 0;
}
