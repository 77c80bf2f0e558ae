#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "BinaryFile.h"
#include "TargetLocation.h"

namespace korvel {

// The folder a target lives in, and the system calls a run's temporary file needs there: create
// it private (and unnamed where the system allows), hold it against other runs' sweeps, name it,
// put it in the target's place, remove it, and sweep the leftovers of runs that died. One
// implementation for POSIX (TargetFolderPosix.cpp), one for Windows (TargetFolderWindows.cpp).
// Failures throw FileError naming the target.
class TargetFolder {
public:
    // Both outlive the folder object (they are its temporary target's).
    TargetFolder(const TargetLocation& location, const std::filesystem::path& target);
    TargetFolder(const TargetFolder&) = delete;
    TargetFolder& operator=(const TargetFolder&) = delete;
    ~TargetFolder();

    // The longest file name the folder takes.
    std::size_t NameLimit() const;

    // Removes the files of the folder among `names` that `isLeftover` accepts and that no live run
    // holds. Anything that cannot be examined or removed is left as it is.
    void SweepLeftovers(const std::vector<std::filesystem::path>& names,
                        const std::function<bool(const std::filesystem::path&)>& isLeftover);

    // A file without a name, private to the user; false where the folder cannot have one.
    bool CreateUnnamed(BinaryFile& file);
    // Creates a file under `name` that only the user can open, held by this run, and removed
    // when the program dies (by the system on Windows, by a terminating signal on POSIX).
    // False when the name is taken.
    bool CreatePrivate(const std::filesystem::path& name, BinaryFile& file);
    // Gives an unnamed file `name`; false when the name is taken.
    bool NameUnnamed(BinaryFile& file, const std::filesystem::path& name);
    // Gives an unnamed file, complete and on disk, the target's name and closes it, where no
    // target exists; false where one does or the file cannot take the name that way.
    bool NameAsTarget(BinaryFile& file);

    // Gives the file the target's access. POSIX: an existing target's owner and mode, otherwise
    // newFilePermissions. Windows: nothing here; Replace keeps an existing
    // target's access, and a new target keeps the file's private access.
    void GiveFinalAccess(BinaryFile& file, unsigned newFilePermissions);
    // Cancels the removal by the system (Windows) just before the file takes the target's place;
    // the signal clean-up (POSIX) stays armed until Replace.
    void Keep(BinaryFile& file);
    // Puts the file named `name` in the target's place and closes it. The change lasts through a
    // power cut once MakeLasting() follows.
    void Replace(BinaryFile& file, const std::filesystem::path& name);
    // Writes the folder's changes to disk (POSIX: fsync of the folder; Windows: nothing, Replace
    // writes through).
    void MakeLasting();
    // Writes everything written on the folder's file system to disk at once, the files of other
    // runs and programs included (Linux: syncfs). False where the system has no such call, or none
    // that reports a failed write; each file is then flushed on its own.
    bool SyncFileSystem();
    // Closes the file and removes `name`.
    void Remove(BinaryFile& file, const std::filesystem::path& name) noexcept;

private:
    struct Native;
    [[noreturn]] void Fail(int errorNumber) const;
    // POSIX: the folder, opened when first needed.
    int Descriptor() const;

    const TargetLocation& location_;
    const std::filesystem::path& target_;
    std::unique_ptr<Native> native_;
};

}  // namespace korvel
