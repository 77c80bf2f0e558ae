#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace korvel::testing {

// Stands in for a slow disk below a run: the run's n-th write to its target waits until the test
// releases it. Released when it goes away, so no run is left waiting.
class WriteLatch {
public:
    explicit WriteLatch(int holdAtWrite);
    ~WriteLatch();
    WriteLatch(const WriteLatch&) = delete;
    WriteLatch& operator=(const WriteLatch&) = delete;

    // What the run calls before each write, on its own thread.
    std::function<void()> Hook() const;
    bool Holding() const;
    int Writes() const;
    // Lets every write through from now on.
    void Release();
    // Lets the held write through and holds the given later one.
    void ReleaseAndHoldAt(int write);

private:
    struct State {
        std::mutex mutex;
        std::condition_variable released;
        int holdAt;
        int writes = 0;
        int heldWrite = 0;  // the write waiting now, or 0
        bool open = false;
    };
    std::shared_ptr<State> state_;
};

}  // namespace korvel::testing
