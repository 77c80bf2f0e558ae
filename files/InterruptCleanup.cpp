#include "InterruptCleanup.h"

#include <fcntl.h>
#include <unistd.h>
#include <csignal>

#include <atomic>
#include <cstring>
#include <mutex>

namespace korvel {

namespace {

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ};
// A set's commit group holds up to 64 named files at once, besides the one being written.
constexpr int kSlots = 72;
constexpr std::size_t kLongestName = 255;

// One slot a temporary file. `state` goes free -> filling -> creating (the file may be coming
// into being under the name) -> armed (it is there) -> free. Lock-free atomics are safe to use in
// a signal handler.
struct Slot {
    std::atomic<int> state{0};
    int folder = -1;
    char name[kLongestName + 1] = {};
};
constexpr int kFree = 0, kFilling = 1, kCreating = 2, kArmed = 3;
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

Slot slots[kSlots];
// Set by the handler before it looks at the slots; no file is made after that.
std::atomic<bool> dying{false};

// The handler runs on one thread while the others go on. A file that another thread is making
// at that moment is waited for (that thread holds the signals back, so it is never this one),
// and none is begun once `dying` is set: so every file that exists when the process ends has
// been removed.
extern "C" void RemoveTemporaryFilesAndDie(int signalNumber) {
    dying.store(true);
    for (Slot& slot : slots) {
        int state = slot.state.load();
        while (state == kCreating) state = slot.state.load();
        if (state == kArmed) unlinkat(slot.folder, slot.name, 0);
    }
    signal(signalNumber, SIG_DFL);
    // Blocked until this handler returns, then delivered with its default action.
    raise(signalNumber);
}

sigset_t HandledSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : kHandledSignals) sigaddset(&set, signalNumber);
    return set;
}

void InstallHandlers() {
    for (const int signalNumber : kHandledSignals) {
        struct sigaction current {};
        if (sigaction(signalNumber, nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL) continue;
        struct sigaction cleanup {};
        cleanup.sa_handler = RemoveTemporaryFilesAndDie;
        sigfillset(&cleanup.sa_mask);
        sigaction(signalNumber, &cleanup, nullptr);
    }
}

}  // namespace

InterruptCleanup::Hold::Hold() {
    const sigset_t handled = HandledSet();
    pthread_sigmask(SIG_BLOCK, &handled, &saved_);
}

InterruptCleanup::Hold::~Hold() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

int InterruptCleanup::Arm(int folderDescriptor, const char* name) {
    static std::once_flag installed;
    std::call_once(installed, InstallHandlers);
    if (std::strlen(name) > kLongestName) return -1;
    for (int index = 0; index < kSlots; ++index) {
        Slot& slot = slots[index];
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
        slot.folder = folderDescriptor;
        std::strcpy(slot.name, name);
        slot.state.store(kCreating);
        // The process is ending: the file must not be made. The default action of the signal
        // ends this thread with the others once the handler returns.
        if (dying.load()) {
            slot.state.store(kFree);
            for (;;) pause();
        }
        return index;
    }
    return -1;
}

void InterruptCleanup::Confirm(int slot) {
    if (slot >= 0 && slot < kSlots) slots[slot].state.store(kArmed);
}

void InterruptCleanup::Disarm(int slot) {
    if (slot >= 0 && slot < kSlots) slots[slot].state.store(kFree);
}

}  // namespace korvel
