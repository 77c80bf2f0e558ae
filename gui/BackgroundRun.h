#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "run/CipherRun.h"

namespace korvel {

class RunHandOver;

// Works a window's runs, one at a time, on a thread of their own, so that the window goes on
// answering while a slow disk holds a read, a write or a flush. The run's notifications reach the
// window's receiver on the window's thread; when the run has ended, `ended` is called there too.
// Every call a run posts carries that run: a late one of a run that has ended is dropped.
class BackgroundRun : public QObject {
public:
    // How long the window waits for a stopped run before the program goes on ending without it.
    static constexpr std::chrono::seconds kStopWait{2};
    // How often the percents a run has sent are handed over to the window.
    static constexpr std::chrono::milliseconds kPacing{40};

    BackgroundRun(RunNotifications& window, QObject* parent);
    ~BackgroundRun() override;

    bool Working() const { return current_ != nullptr; }
    // Returns at once; false when a run is still working.
    // beforeTargetWrite is the tests' hold on the run's writes.
    bool Start(RunRequest request, std::function<void(const RunResult&)> ended,
               std::function<void()> beforeTargetWrite = {});
    // The cancel button: the run asks the cancel question at its next progress update.
    void RequestCancel();
    // The window goes away: the run stops between blocks and removes its temporary target, unless
    // it has already begun to replace its target; the window hears nothing more of it.
    void RequestStop();
    // The same, then waits at most kStopWait for the run to end. A run that is still working
    // then is left to itself, and the program may end under it: its temporary file goes with it.
    void StopAndWait();

private:
    struct Current {
        std::uint64_t id;
        std::shared_ptr<RunFlags> flags;
        std::shared_ptr<RunHandOver> handOver;
        std::future<void> done;
        std::thread thread;
    };
    void Finish(std::uint64_t runId, const RunResult& result);
    void TakeWaiting();

    RunNotifications& window_;
    std::unique_ptr<Current> current_;
    std::uint64_t lastRunId_ = 0;
    std::function<void(const RunResult&)> ended_;
    QTimer pacing_;
};

}  // namespace korvel
