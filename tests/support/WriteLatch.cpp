#include "WriteLatch.h"

namespace korvel::testing {

WriteLatch::WriteLatch(int holdAtWrite) : state_(std::make_shared<State>()) {
    state_->holdAt = holdAtWrite;
}

WriteLatch::~WriteLatch() { Release(); }

std::function<void()> WriteLatch::Hook() const {
    return [state = state_] {
        std::unique_lock lock(state->mutex);
        const int write = ++state->writes;
        if (write != state->holdAt || state->open) return;
        state->heldWrite = write;
        state->released.wait(lock, [&] { return state->open || state->holdAt != write; });
        state->heldWrite = 0;
    };
}

bool WriteLatch::Holding() const {
    std::lock_guard lock(state_->mutex);
    return state_->heldWrite != 0 && state_->heldWrite == state_->holdAt;
}

int WriteLatch::Writes() const {
    std::lock_guard lock(state_->mutex);
    return state_->writes;
}

void WriteLatch::ReleaseAndHoldAt(int write) {
    {
        std::lock_guard lock(state_->mutex);
        state_->holdAt = write;
    }
    state_->released.notify_all();
}

void WriteLatch::Release() {
    {
        std::lock_guard lock(state_->mutex);
        state_->open = true;
    }
    state_->released.notify_all();
}

}  // namespace korvel::testing
