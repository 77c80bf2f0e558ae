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
constexpr int kSlots = 8;
constexpr std::size_t kLongestName = 255;

// One slot a temporary file. `state` goes free -> filling -> armed; the handler only reads armed
// slots, and lock-free atomics are safe to read there.
struct Slot {
    std::atomic<int> state{0};
    int folder = -1;
    char name[kLongestName + 1] = {};
};
constexpr int kFree = 0, kFilling = 1, kArmed = 2;
static_assert(std::atomic<int>::is_always_lock_free);

Slot slots[kSlots];

extern "C" void RemoveTemporaryFilesAndDie(int signalNumber) {
    for (Slot& slot : slots) {
        if (slot.state.load() == kArmed) unlinkat(slot.folder, slot.name, 0);
    }
    signal(signalNumber, SIG_DFL);
    // Blocked until this handler returns, then delivered with its default action.
    raise(signalNumber);
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
        slot.state.store(kArmed);
        return index;
    }
    return -1;
}

void InterruptCleanup::Disarm(int slot) {
    if (slot >= 0 && slot < kSlots) slots[slot].state.store(kFree);
}

}  // namespace korvel
