#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "BinaryFile.h"
#include "TargetLocation.h"

namespace korvel {

// The file a run writes into, beside the file it will replace. It is private to the user from
// its first byte (mode 0600). Where the file system allows (Linux, with O_TMPFILE), it has no
// name at all until the run completes, so nothing is left behind even by SIGKILL or a power cut;
// elsewhere it is named like "report.pdf.korvel-3fa2c1.part" and a terminating signal removes it.
// Only CommitOver() touches the target; destroying an uncommitted one removes it.
// The core has no Qt, so it cannot use QSaveFile; it also needs what QSaveFile does not give:
// an unnamed file, the target's owner, and clean-up on signals.
class TemporaryTarget {
public:
    // newFilePermissions: the permission bits a target that does not exist yet gets, less the
    // umask (the source's, as cp does, so a private source gives a private result).
    TemporaryTarget(std::filesystem::path target, unsigned newFilePermissions);
    TemporaryTarget(const TemporaryTarget&) = delete;
    TemporaryTarget& operator=(const TemporaryTarget&) = delete;
    ~TemporaryTarget();

    // Failures name the target, the file the user asked for.
    void Write(const std::uint8_t* buffer, std::size_t count);

    // Flushes the written bytes to disk, gives the file the target's access (an existing target's
    // mode, owner and group; otherwise the new-file permissions), puts it in the target's place
    // and makes that lasting.
    void CommitOver();
    // Closes and removes the file; safe to call more than once.
    void Discard() noexcept;

    // The mark in every temporary file's name, e.g. "report.pdf.korvel-3fa2c1.part".
    static constexpr const char* kNameMark = ".korvel-";
    // Whether to keep the file unnamed where the file system allows it (the default). Turning it
    // off gives every run the named file that other file systems get.
    static void PreferUnnamedFiles(bool prefer);

private:
    [[noreturn]] void Fail(int errorNumber) const;
    std::filesystem::path NewTemporaryName() const;
    void Create();
    bool CreateUnnamed();
    void ClaimNewName(const std::function<int(const std::filesystem::path&)>& claim);
    void CreateNamed();
    void GiveFinalAccess();
    void NameUnnamed();
    void ReplaceTarget();
    void ForgetName() noexcept;

    std::filesystem::path target_;
    TargetLocation location_;
    unsigned newFilePermissions_;
    int folder_ = -1;  // the target's folder, open (POSIX)
    std::filesystem::path
        tempName_;          // the temporary file's name in that folder; empty while unnamed
    int cleanupSlot_ = -1;  // its entry in the signal clean-up
    BinaryFile file_;
    bool finished_ = false;
};

}  // namespace korvel
