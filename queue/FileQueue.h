#pragma once

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "CommitThread.h"
#include "QueueEntry.h"
#include "QueueObserver.h"
#include "cipher/KeyFileReader.h"
#include "files/CommitGroup.h"
#include "files/LeftoverNames.h"
#include "run/AgeKeys.h"
#include "run/RunRequest.h"

namespace korvel {

enum class ExistingTargets { Refuse, Skip, Replace };

struct QueueSettings {
    Direction direction = Direction::Encrypt;
    std::string password;
    std::filesystem::path keyFile;
    ExistingTargets existing = ExistingTargets::Refuse;
    // The check of a decryption's head: true when the result does not look right. Empty: none.
    std::function<bool(const RunRequest&)> looksWrong;
    // Encrypting: the format written. Decrypting, each file's first line tells.
    CipherFormat format = CipherFormat::Seed;
    // The age keys of every run of the set. Null: the set derives them once from password and
    // keyFile, on the first age file. Set for an identity file's keys, or a window's.
    std::shared_ptr<AgeKeys> ageKeys = nullptr;
};

struct QueueSummary {
    std::size_t done = 0;
    std::size_t skipped = 0;
    std::size_t failed = 0;
    std::size_t notOpened = 0;     // age files no stanza opened (wrong password or key file); also
                                   // counted in failed
    bool stoppedForDoubt = false;  // the set stopped at a file whose head did not look right
    bool cancelled = false;
};

// Runs a set of files one after the other through the same run as a single file, each with every
// promise of a single run: the private temporary file, the atomic replace, leftovers swept, the
// key file and special files refused. A file that fails does not stop the others; a cancel stops
// the set after the current file's temporary file is removed, and finished files are kept.
// Small files are committed in groups (CommitGroup), on a thread of the set's own (CommitThread)
// while the next group's files run: each file is reported done once its group is on disk, with its
// target in place.
class FileQueue {
public:
    FileQueue(std::vector<QueueEntry> entries, QueueSettings settings);

    // On the calling thread; returns when the set has ended.
    QueueSummary Run(QueueObserver& observer);
    // Any thread.
    void Cancel();

    const std::vector<QueueEntry>& Entries() const { return entries_; }

private:
    std::size_t AgeFilesToMake() const;
    void RunEntry(std::size_t index, QueueObserver& observer);
    // nothingThere: not even a link at the target's path.
    bool TargetMayBeWritten(QueueEntry& entry, bool& nothingThere);
    bool DoubtStopsTheSet(const RunRequest& request, QueueEntry& entry, QueueObserver& observer);
    void End(std::size_t index, EntryState state, std::string reason, QueueObserver& observer);
    bool Pending(const QueueEntry& entry) const;
    void StartCommit(QueueObserver& observer);
    void FinishCommit(QueueObserver& observer);
    void CommitEverything(QueueObserver& observer);
    QueueSummary Summary() const;
    std::shared_ptr<KeyFileReader> SharedKey();

    std::vector<QueueEntry> entries_;
    QueueSettings settings_;
    std::uint64_t totalBytes_ = 0;
    std::uint64_t bytesBefore_ = 0;  // of the entries before the current one
    bool decryptDoubted_ = false;
    bool stoppedForDoubt_ = false;
    CommitGroup group_;
    LeftoverNames leftoverNames_;
    std::shared_ptr<KeyFileReader> keyReader_;  // opened by the first run that needs it
    unsigned creationMask_;
    std::vector<std::size_t> pending_;  // the entries whose targets wait in the group, in order
    struct Committing {
        std::vector<std::size_t> entries;
        std::future<CommitThread::Failures> failures;
    } committing_;  // the group before, while it commits
    std::filesystem::path lastFolderMade_;

    std::atomic<bool> cancelled_ = false;
    std::mutex currentMutex_;
    std::shared_ptr<RunFlags> currentFlags_;
    // Last, so that it ends, committing what it was handed, before the set's other members go.
    CommitThread commitThread_;
};

}  // namespace korvel
