#pragma once

namespace korvel {

// Removes a run's named temporary file when the program is ended by a signal (SIGINT, SIGTERM,
// SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ), then lets the signal take its default action. Signals the
// program already ignores or handles itself are left alone. The handler only calls unlinkat on a
// folder descriptor and a name prepared beforehand, which is safe inside a signal handler.
// POSIX only: on Windows the system removes the file itself (TargetFolderWindows.cpp).
class InterruptCleanup {
public:
    // Arms the removal of `name` in the folder open as folderDescriptor; returns a slot for
    // Disarm, or -1 when every slot is taken (the file is then only removed by the run itself,
    // or by a later run's sweep). Armed before the file is made, a removal covers a signal that
    // lands on any thread once the file exists; the name must be disarmed if it was taken.
    static int Arm(int folderDescriptor, const char* name);
    // Does nothing for -1.
    static void Disarm(int slot);
};

}  // namespace korvel
