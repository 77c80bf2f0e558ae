#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "BinaryFile.h"
#include "LeftoverNames.h"
#include "TargetFolder.h"
#include "TargetLocation.h"

namespace korvel {

// The file a run writes into, beside the file it will replace. It is private to the user from
// its first byte. Where the file system allows (Linux, with O_TMPFILE), it has no name at all
// until the run completes, so nothing is left behind even by SIGKILL or a power cut, and then a
// new target's file takes the target's name directly; elsewhere it is named like
// "report.pdf.korvel-3fa2c1.part", removed when the program dies (Windows: by the system,
// whatever ends the program; POSIX: by a terminating signal), and held so that a later run to
// the same target can tell a leftover of a run that died and remove it.
// Only CommitOver() touches the target; destroying an uncommitted one removes it.
// The core has no Qt, so it cannot use QSaveFile; it also needs what QSaveFile does not give:
// an unnamed file, the target's owner and access, and clean-up when the program dies.
class TemporaryTarget {
public:
    // newFilePermissions: the permission bits a target that does not exist yet gets, the umask
    // already taken off (the source's, as cp does, so a private source gives a private result).
    // leftovers: the folder's listing shared by the runs of a set; none, and the folder is listed
    // for this run alone. seenAbsent: nothing was at the target's path a moment ago, not even a
    // link (TargetLocation::Of).
    TemporaryTarget(std::filesystem::path target, unsigned newFilePermissions,
                    LeftoverNames* leftovers = nullptr, bool seenAbsent = false);
    TemporaryTarget(const TemporaryTarget&) = delete;
    TemporaryTarget& operator=(const TemporaryTarget&) = delete;
    ~TemporaryTarget();

    // Failures name the target, the file the user asked for. A short first write may be held back
    // until the next write or the commit.
    void Write(const std::uint8_t* buffer, std::size_t count);
    // Copies up to kMostHeld bytes to go out in front of the next write, in the same system call;
    // nothing may be held already.
    void HoldForNextWrite(const std::uint8_t* buffer, std::size_t count);
    static constexpr std::size_t kMostHeld = 16;

    // Gives the file the target's access and flushes the written bytes to disk: all of the commit
    // that can take long, and nothing that touches the target yet.
    void PrepareCommit();
    // Prepares the commit when that is not done yet, puts the file in the target's place and makes
    // that lasting.
    void CommitOver();

    // The same commit in steps, for many targets at once (CommitGroup): their file systems are
    // flushed once for all of them, and each folder is made lasting once after all are in place.
    // Writes what Write held back first.
    void GiveFinalAccess();
    // Writes everything written on the file system of the target's folder to disk, this file's
    // bytes among them. False where the system cannot; PrepareCommit then flushes each file.
    bool FlushFileSystem();
    // Puts the file, whose bytes are on disk already, in the target's place; the change lasts
    // through a power cut once MakeFolderLasting() follows.
    void PutInPlace();
    void MakeFolderLasting();
    const std::filesystem::path& Target() const { return target_; }
    const std::filesystem::path& Folder() const { return location_.folder; }
    // Closes and removes the file; safe to call more than once.
    void Discard() noexcept;

    // Whether `name` is one this class gives temporary files for `target` (a file name in the
    // target's folder) in a folder whose names may be nameLimit long.
    static bool IsTemporaryNameFor(const std::filesystem::path& name,
                                   const std::filesystem::path& target, std::size_t nameLimit);
    // Whether to keep the file unnamed where the file system allows it (the default). Turning it
    // off gives every run the named file that other file systems get.
    static void PreferUnnamedFiles(bool prefer);

private:
    void SweepLeftovers(LeftoverNames* leftovers);
    void WriteHeld();
    [[noreturn]] void Fail(int errorNumber) const;
    std::filesystem::path NewTemporaryName() const;
    void ClaimNewName(const std::function<bool(const std::filesystem::path&)>& claim);

    std::filesystem::path target_;
    TargetLocation location_;
    unsigned newFilePermissions_;
    TargetFolder folder_;
    std::filesystem::path
        tempName_;  // the temporary file's name in the folder; empty while unnamed
    BinaryFile file_;
    std::array<std::uint8_t, kMostHeld> held_{};
    std::size_t heldCount_ = 0;
    bool written_ = false;
    bool accessGiven_ = false;
    bool prepared_ = false;
    bool finished_ = false;
};

}  // namespace korvel
