// Test helper standing in for another instance of the program.
//   korvel_lock_holder <lock file> hold   takes the lock, prints "locked", keeps it until stdin
//   ends korvel_lock_holder <lock file> crash  takes the lock and dies without releasing it
#include <QCoreApplication>
#include <QLockFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc != 3) return 2;
    QCoreApplication app(argc, argv);
    QLockFile lock(QString::fromLocal8Bit(argv[1]));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) return 3;
    std::puts("locked");
    std::fflush(stdout);
    if (std::strcmp(argv[2], "crash") == 0) std::_Exit(0);  // skips the lock's release
    while (std::getchar() != EOF) {
    }
    return 0;
}
