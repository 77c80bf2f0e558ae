#include "FileQueue.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "QueueMessages.h"
#include "files/FileError.h"
#include "files/FileSystemCalls.h"
#include "run/CipherRun.h"
#include "run/ProcessorCount.h"
#include "run/RunMessages.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

// A single run's notifications as one file of a set hears them: no boxes; a failure becomes the
// file's reason, and the percents the set's bytes.
class EntryNotifications : public RunNotifications {
public:
    EntryNotifications(QueueObserver& observer, std::uint64_t before, std::uint64_t size,
                       std::uint64_t total)
        : observer_(observer), before_(before), size_(size), total_(total) {}

    void ShowNotice(const std::string& text, NoticeKind kind) override {
        if (kind == NoticeKind::Warning) failure = text;
    }
    void EnterProgressMode() override {}
    void ShowPercent(int percent) override {
        if (percent == lastPercent_) return;
        lastPercent_ = percent;
        observer_.BytesDone(before_ + size_ * static_cast<std::uint64_t>(percent) / 100, total_);
    }
    CancelAnswer AskCancel(const std::string&, const std::string&) override {
        return CancelAnswer::Yes;
    }
    void LeaveProgressMode(LeaveStep, LeaveReason) override {}

    std::string failure;

private:
    QueueObserver& observer_;
    std::uint64_t before_, size_, total_;
    int lastPercent_ = -1;
};

}  // namespace

FileQueue::FileQueue(std::vector<QueueEntry> entries, QueueSettings settings)
    : entries_(std::move(entries)),
      settings_(std::move(settings)),
      creationMask_(FileSystemCalls::CreationMask()) {
    // Derived on the first age file, once for the whole set.
    if (!settings_.ageKeys) {
        settings_.ageKeys = std::make_shared<AgeKeys>(settings_.password, settings_.keyFile);
    }
    for (const QueueEntry& entry : entries_) totalBytes_ += entry.size;
}

void FileQueue::Cancel() {
    cancelled_ = true;
    const std::lock_guard lock(currentMutex_);
    if (currentFlags_) currentFlags_->RequestStop();
}

QueueSummary FileQueue::Run(QueueObserver& observer) {
    const std::size_t ageFiles = AgeFilesToMake();
    const bool keysAhead = ageFiles > 1 && ProcessorsOfThisProcess() > 1;
    if (keysAhead) settings_.ageKeys->PrepareFileKeysAhead(ageFiles);
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        if (entries_[index].state == EntryState::Waiting) {
            if (cancelled_ || stoppedForDoubt_) {
                End(index, EntryState::Skipped, kCancelledBeforeRun, observer);
            } else {
                RunEntry(index, observer);
            }
        } else {
            observer.EntryChanged(index, entries_[index]);  // failed or skipped when gathered
        }
        bytesBefore_ += entries_[index].size;
        observer.BytesDone(bytesBefore_, totalBytes_);
        if (group_.Full()) StartCommit(observer);
    }
    CommitEverything(observer);
    if (keysAhead) settings_.ageKeys->StopPreparing();
    return Summary();
}

std::size_t FileQueue::AgeFilesToMake() const {
    if (settings_.direction != Direction::Encrypt || settings_.format != CipherFormat::Age) {
        return 0;
    }
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(),
                      [](const QueueEntry& e) { return e.state == EntryState::Waiting; }));
}

void FileQueue::RunEntry(std::size_t index, QueueObserver& observer) {
    QueueEntry& entry = entries_[index];
    entry.state = EntryState::Working;
    observer.EntryChanged(index, entry);
    // A target named twice in the set is written twice, in order, as it would be without a group.
    if (Pending(entry)) CommitEverything(observer);
    bool nothingThere = false;
    if (!TargetMayBeWritten(entry, nothingThere)) {
        End(index, entry.state, entry.reason, observer);
        return;
    }
    RunRequest request{settings_.direction, entry.source, entry.target, settings_.password,
                       settings_.keyFile};
    request.commitGroup = &group_;
    request.leftoverNames = &leftoverNames_;
    request.keyReader = SharedKey();
    request.creationMask = creationMask_;
    request.format = settings_.format;
    request.ageKeys = settings_.ageKeys;
    const std::size_t grouped = group_.Count();
    if (DoubtStopsTheSet(request, entry, observer)) {
        End(index, EntryState::Skipped, kCancelledBeforeRun, observer);
        return;
    }
    // Not after a question, which may have waited long.
    request.targetSeenAbsent = nothingThere && !entry.doubted;
    {
        const std::lock_guard lock(currentMutex_);
        currentFlags_ = request.flags;
        if (cancelled_) request.flags->RequestStop();
    }
    EntryNotifications notifications(observer, bytesBefore_, entry.size, totalBytes_);
    const RunResult result = CipherRun(request, notifications);
    {
        const std::lock_guard lock(currentMutex_);
        currentFlags_.reset();
    }
    switch (result.outcome) {
        case RunOutcome::Completed:
            if (group_.Count() > grouped) {
                pending_.push_back(index);
            } else {
                End(index, EntryState::Done, {}, observer);
            }
            break;
        case RunOutcome::Cancelled:
        case RunOutcome::Abandoned:
            End(index, EntryState::Skipped, kCancelledBeforeRun, observer);
            break;
        case RunOutcome::NotOpened:
            entry.notOpened = true;
            End(index, EntryState::Failed, result.message, observer);
            break;
        case RunOutcome::Refused:
        case RunOutcome::Failed:
            End(index, EntryState::Failed, result.message, observer);
            break;
    }
}

// Sets the entry's state and reason when it may not.
bool FileQueue::TargetMayBeWritten(QueueEntry& entry, bool& nothingThere) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(entry.target, error);
    nothingThere = status.type() == fs::file_type::not_found;
    const bool exists = fs::exists(status);
    // Found before the source is read through, rather than when the target takes its name.
    if (error == std::errc::filename_too_long) {
        entry.state = EntryState::Failed;
        entry.reason = kTargetNameTooLong;
        return false;
    }
    if (exists && settings_.existing != ExistingTargets::Replace) {
        const bool skip = settings_.existing == ExistingTargets::Skip;
        entry.state = skip ? EntryState::Skipped : EntryState::Failed;
        entry.reason = skip ? kSkippedExisting : kTargetExists;
        return false;
    }
    // Entries come folder by folder; a folder made for the one before is not looked for again.
    const fs::path folder = entry.target.parent_path();
    if (folder.native() == lastFolderMade_.native()) return true;
    fs::create_directories(folder, error);
    if (error) {
        entry.state = EntryState::Failed;
        entry.reason = kCannotCreateFolder + PathText(folder) + "\n" + SystemReason(error);
        return false;
    }
    lastFolderMade_ = folder;
    return true;
}

// The first doubtful file asks; after "decrypt all" the others are only marked.
bool FileQueue::DoubtStopsTheSet(const RunRequest& request, QueueEntry& entry,
                                 QueueObserver& observer) {
    if (settings_.direction != Direction::Decrypt || !settings_.looksWrong) return false;
    if (RunRefusal(request) || !settings_.looksWrong(request)) return false;
    entry.doubted = true;
    if (decryptDoubted_) return false;
    if (observer.AskAboutDoubtfulResult(entry) == DoubtDecision::DecryptAll) {
        decryptDoubted_ = true;
        return false;
    }
    stoppedForDoubt_ = true;
    return true;
}

void FileQueue::End(std::size_t index, EntryState state, std::string reason,
                    QueueObserver& observer) {
    entries_[index].state = state;
    entries_[index].reason = std::move(reason);
    observer.EntryChanged(index, entries_[index]);
}

bool FileQueue::Pending(const QueueEntry& entry) const {
    // Targets are made the same way for every source, so one named twice has the same text; a
    // comparison part by part, for each waiting file, cost more than many a file's run.
    const auto same = [&](std::size_t index) {
        return entries_[index].target.native() == entry.target.native();
    };
    return std::any_of(pending_.begin(), pending_.end(), same) ||
           std::any_of(committing_.entries.begin(), committing_.entries.end(), same);
}

// The group commits on the set's commit thread while the next one fills: its waits for the disk
// overlap the next files' runs. One group commits at a time, so the order of commits is the order
// of the files, and at most two groups' files are open.
void FileQueue::StartCommit(QueueObserver& observer) {
    FinishCommit(observer);
    if (pending_.empty()) return;
    auto full = std::make_unique<CommitGroup>(std::move(group_));
    group_ = CommitGroup();
    committing_.entries = std::exchange(pending_, {});
    committing_.failures = commitThread_.Commit(std::move(full));
}

void FileQueue::FinishCommit(QueueObserver& observer) {
    if (!committing_.failures.valid()) return;
    const CommitThread::Failures failures = committing_.failures.get();
    const std::vector<std::size_t> entries = std::exchange(committing_.entries, {});
    for (std::size_t member = 0; member < entries.size(); ++member) {
        if (failures[member]) {
            End(entries[member], EntryState::Failed, FailureMessage(*failures[member]), observer);
        } else {
            End(entries[member], EntryState::Done, {}, observer);
        }
    }
}

void FileQueue::CommitEverything(QueueObserver& observer) {
    StartCommit(observer);
    FinishCommit(observer);
}

std::shared_ptr<KeyFileReader> FileQueue::SharedKey() {
    if (!keyReader_) {
        try {
            keyReader_ =
                std::make_shared<KeyFileReader>(BinaryFile::OpenForReading(settings_.keyFile));
        } catch (const FileError&) {
            return nullptr;  // each run then opens it itself, and says why it cannot
        }
    }
    return keyReader_;
}

QueueSummary FileQueue::Summary() const {
    QueueSummary summary;
    for (const QueueEntry& entry : entries_) {
        if (entry.state == EntryState::Done) ++summary.done;
        if (entry.state == EntryState::Skipped) ++summary.skipped;
        if (entry.state == EntryState::Failed) ++summary.failed;
        if (entry.state == EntryState::Failed && entry.notOpened) ++summary.notOpened;
    }
    summary.stoppedForDoubt = stoppedForDoubt_;
    summary.cancelled = cancelled_;
    return summary;
}

}  // namespace korvel
