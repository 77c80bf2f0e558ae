#include "CommitThread.h"

#include <system_error>
#include <utility>

namespace korvel {

CommitThread::~CommitThread() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    taskCame_.notify_one();
    thread_.join();
}

std::future<CommitThread::Failures> CommitThread::Commit(std::unique_ptr<CommitGroup> group) {
    Task task{std::move(group), {}};
    std::future<Failures> failures = task.failures.get_future();
    if (!thread_.joinable() && !Start()) {
        CommitNow(task);
        return failures;
    }
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    taskCame_.notify_one();
    return failures;
}

bool CommitThread::Start() {
    try {
        thread_ = std::thread([this] { CommitInTurn(); });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void CommitThread::CommitInTurn() {
    for (;;) {
        std::unique_lock lock(mutex_);
        taskCame_.wait(lock, [this] { return ending_ || !tasks_.empty(); });
        if (tasks_.empty()) return;
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        CommitNow(task);
    }
}

// A failure that is not a file's (memory, say) reaches whoever waits for the group.
void CommitThread::CommitNow(Task& task) {
    try {
        task.failures.set_value(task.group->Commit());
    } catch (...) {
        task.failures.set_exception(std::current_exception());
    }
    task.group.reset();
}

}  // namespace korvel
