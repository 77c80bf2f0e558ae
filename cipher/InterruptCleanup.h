#pragma once

#ifndef _WIN32
#include <csignal>
#endif

namespace korvel {

// Removes a run's named temporary file when the program is ended by a signal (SIGINT, SIGTERM,
// SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ), then lets the signal take its default action. Signals the
// program already ignores or handles itself are left alone. The handler only calls unlinkat on a
// folder descriptor and a name prepared beforehand, which is safe inside a signal handler.
// Does nothing where there are no such signals.
class InterruptCleanup {
public:
    // Holds the handled signals back on this thread, for creating or naming a file and arming
    // its removal as one step.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

#ifndef _WIN32
    private:
        sigset_t saved_;
#endif
    };

    // Arms the removal of `name` in the folder open as folderDescriptor; returns a slot for
    // Disarm, or -1 when every slot is taken (the file is then only removed by the run itself).
    static int Arm(int folderDescriptor, const char* name);
    static void Disarm(int slot);
};

}  // namespace korvel
