#pragma once

#include <csignal>

namespace korvel {

// Removes a run's named temporary file when the program is ended by a signal (SIGINT, SIGTERM,
// SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ), then lets the signal take its default action. Signals the
// program already ignores or handles itself are left alone. The handler only calls unlinkat on a
// folder descriptor and a name prepared beforehand, which is safe inside a signal handler.
// POSIX only: on Windows the system removes the file itself (TargetFolderWindows.cpp).
//
// A file is made in three steps, with the signals held back on the making thread throughout:
// Arm (before the name exists), the system call that makes it, then Confirm once it exists, or
// Disarm if the name was taken. A signal landing meanwhile on another thread waits in the
// handler until the step is done, so no file is left whichever thread the signal lands on.
class InterruptCleanup {
public:
    // Holds the handled signals back on this thread.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        sigset_t saved_;
    };

    // Prepares the removal of `name` in the folder open as folderDescriptor; returns a slot, or
    // -1 when every slot is taken (the file is then only removed by the run itself, or by a later
    // run's sweep). Call with the signals held.
    static int Arm(int folderDescriptor, const char* name);
    // The file now exists under the name. Does nothing for -1, as Disarm.
    static void Confirm(int slot);
    static void Disarm(int slot);
};

}  // namespace korvel
