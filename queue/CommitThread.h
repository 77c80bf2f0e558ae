#pragma once

#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "files/CommitGroup.h"
#include "files/FileError.h"

namespace korvel {

// The thread a set's groups commit on, one after another in the order they come, while the set's
// next files run. Started with the first group and kept for the set's others: a thread of the
// system per group would cost its start and end each time. Where no thread can be had, a group
// commits on the thread that hands it over.
class CommitThread {
public:
    using Failures = std::vector<std::optional<FileError>>;

    CommitThread() = default;
    CommitThread(const CommitThread&) = delete;
    CommitThread& operator=(const CommitThread&) = delete;
    // Commits what was handed over and not yet committed, then ends the thread.
    ~CommitThread();

    // The group's failures, as CommitGroup::Commit() gives them, once it has committed.
    std::future<Failures> Commit(std::unique_ptr<CommitGroup> group);

private:
    struct Task {
        std::unique_ptr<CommitGroup> group;
        std::promise<Failures> failures;
    };

    bool Start();
    void CommitInTurn();
    static void CommitNow(Task& task);

    std::mutex mutex_;  // guards what follows, up to the thread
    std::condition_variable taskCame_;
    std::deque<Task> tasks_;
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace korvel
