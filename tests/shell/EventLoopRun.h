#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

namespace korvel {

// Exit code that RunProgramLoop returns when the program did not end by itself.
inline constexpr int kProgramStillRunning = 99;

// Runs the application's event loop the way main() does, starting with `firstStep`, and
// returns its exit code. A generous guard ends the loop if nothing else does.
inline int RunProgramLoop(const std::function<void()>& firstStep) {
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, firstStep);
    start.start(0);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout,
                     [] { QCoreApplication::exit(kProgramStillRunning); });
    guard.start(20000);
    return QApplication::exec();
}

}  // namespace korvel
