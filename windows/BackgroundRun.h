#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

#include "CipherRun.h"
#include "RunRelay.h"

namespace korvel {

// Works a window's runs, one at a time, on a thread of their own, so that the window goes on
// answering while a slow disk holds a read, a write or a flush. The run's notifications reach the
// observer on the window's thread; when the run has ended, `ended` is called there too.
class BackgroundRun : public QObject {
public:
    BackgroundRun(RunObserver& window, QObject* parent);
    // Stops a run that still works at its next progress update and waits until it has ended.
    ~BackgroundRun() override;

    bool Working() const { return thread_ != nullptr; }
    // Returns at once; false when a run is still working.
    // beforeTargetWrite is the tests' hold on the run's writes.
    bool Start(RunRequest request, std::function<void(const RunResult&)> ended,
               std::function<void()> beforeTargetWrite = {});
    // The cancel button: the run asks the cancel question at its next progress update.
    void RequestCancel() { relay_.CancelRequested = true; }
    // The window goes away: the run stops at its next progress update, removes its temporary
    // target and sends nothing more.
    void RequestStop() { relay_.RequestStop(); }
    void StopAndWait();

private:
    void Finish(const RunResult& result);

    RunRelay relay_;
    std::unique_ptr<QThread> thread_;
    std::function<void(const RunResult&)> ended_;
};

}  // namespace korvel
