#pragma once

#include <QLockFile>
#include <QString>
#include <optional>

namespace korvel {

// Tells whether another instance of the program is running, by holding a lock file for the
// lifetime of this object. A lock left behind by a crashed process is recognised as stale
// (its process no longer runs) and taken over.
class InstanceLock {
public:
    explicit InstanceLock(const QString& lockFilePath);

    // The per-user lock file the program uses.
    static QString DefaultLockFilePath();

    // Asked once; later calls repeat the first answer. When no other instance runs, this
    // object keeps the lock until it is destroyed.
    bool AnotherInstanceRuns();

private:
    bool LeftByEarlierProcessWithOurId();

    QLockFile lockFile_;
    std::optional<bool> answer_;
};

}  // namespace korvel
