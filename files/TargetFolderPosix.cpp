#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

#include "FileCallHook.h"
#include "FileError.h"
#include "InterruptCleanup.h"
#include "TargetFolder.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kUsualNameLimit = 255;

// Waits for a sweep that has the file in hand to let go; fails only where the file system has
// no locks, and then no sweep can take the file either.
void HoldAgainstSweeps(int descriptor) {
    while (flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
    }
}

#ifdef __linux__
// syncfs reports a failed write only since Linux 5.8; before, it succeeded whatever happened.
bool SyncFsReportsFailures() {
    static const bool reports = [] {
        utsname system{};
        unsigned major = 0, minor = 0;
        return uname(&system) == 0 && std::sscanf(system.release, "%u.%u", &major, &minor) == 2 &&
               (major > 5 || (major == 5 && minor >= 8));
    }();
    return reports;
}
#endif

// The calls on the folder and its names, each known to the file call hook (FileCallHook).
int OpenIn(int folder, const char* name, int flags, mode_t mode = 0) {
    return ThroughHook([&] { return FileCall{.op = FileOp::Open, .folder = folder, .name = name}; },
                       [&] { return openat(folder, name, flags, mode); });
}

int CloseFile(int descriptor) {
    return ThroughHook<true>([&] { return FileCall{.op = FileOp::Close, .file = descriptor}; },
                             [&] { return close(descriptor); });
}

int UnlinkIn(int folder, const char* name) {
    return ThroughHook(
        [&] { return FileCall{.op = FileOp::Unlink, .folder = folder, .name = name}; },
        [&] { return unlinkat(folder, name, 0); });
}

int LinkIn(int file, int folder, const char* name, const char* from, int fromFolder, int flags) {
    return ThroughHook(
        [&] { return FileCall{.op = FileOp::Link, .file = file, .folder = folder, .name = name}; },
        [&] { return linkat(fromFolder, from, folder, name, flags); });
}

int ChangeMode(int descriptor, mode_t mode) {
    return ThroughHook(
        [&] { return FileCall{.op = FileOp::ChangeMode, .file = descriptor, .offset = mode}; },
        [&] { return fchmod(descriptor, mode); });
}

int ChangeOwner(int descriptor, uid_t owner, gid_t group) {
    return ThroughHook([&] { return FileCall{.op = FileOp::ChangeOwner, .file = descriptor}; },
                       [&] { return fchown(descriptor, owner, group); });
}

// The file's bytes are on disk since its flush, and its name is the target's now: a failed close
// changes neither, and reporting it would call the replaced target unchanged.
void CloseInPlace(BinaryFile& file) noexcept {
    try {
        file.Close();
    } catch (const FileError&) {
    }
}

bool SameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

}  // namespace

// The folder is opened when it is first needed. A new target's unnamed file is made through the
// folder's path and takes its name when its group commits, on the commit's thread, so the run of a
// small file in a set never opens the folder.
struct TargetFolder::Native {
    int Folder(const fs::path& path, const fs::path& target) {
        if (folder < 0) {
            folder =
                ThroughHook([&] { return FileCall{.op = FileOp::Open, .name = path.c_str()}; },
                            [&] { return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
            if (folder < 0) throw FileError(FileAccess::Write, target, SystemReason(errno));
        }
        return folder;
    }

    int folder = -1;       // the folder, open once needed
    int cleanupSlot = -1;  // the temporary file's entry in the signal clean-up
    long nameLimit = 0;    // asked for once
};

TargetFolder::TargetFolder(const TargetLocation& location, const fs::path& target)
    : location_(location), target_(target), native_(std::make_unique<Native>()) {}

TargetFolder::~TargetFolder() {
    InterruptCleanup::Disarm(native_->cleanupSlot);
    if (native_->folder >= 0) CloseFile(native_->folder);
}

int TargetFolder::Descriptor() const { return native_->Folder(location_.folder, target_); }

void TargetFolder::Fail(int errorNumber) const {
    throw FileError(FileAccess::Write, target_, SystemReason(errorNumber));
}

std::size_t TargetFolder::NameLimit() const {
    if (native_->nameLimit == 0) native_->nameLimit = fpathconf(Descriptor(), _PC_NAME_MAX);
    return native_->nameLimit > 0 ? static_cast<std::size_t>(native_->nameLimit) : kUsualNameLimit;
}

// A live run holds its file locked, so only a file whose lock can be had is a leftover. It is
// removed only if the name still leads to the file that was locked.
void TargetFolder::SweepLeftovers(const std::vector<fs::path>& names,
                                  const std::function<bool(const fs::path&)>& isLeftover) {
    for (const fs::path& name : names) {
        if (!isLeftover(name)) continue;
        const int descriptor = OpenIn(Descriptor(), name.c_str(),
                                      O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (descriptor < 0) continue;
        struct stat locked {
        }, named{};
        if (fstat(descriptor, &locked) == 0 && S_ISREG(locked.st_mode) &&
            flock(descriptor, LOCK_EX | LOCK_NB) == 0 &&
            fstatat(native_->folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(locked, named)) {
            UnlinkIn(native_->folder, name.c_str());
        }
        CloseFile(descriptor);
    }
}

bool TargetFolder::CreateUnnamed(BinaryFile& file) {
#ifdef O_TMPFILE
    const char* folder = location_.folder.c_str();
    const int descriptor =
        ThroughHook([&] { return FileCall{.op = FileOp::Open, .name = folder, .unnamed = true}; },
                    [&] { return open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600); });
    // A file system without unnamed files, or a folder that refuses: the named way says why.
    if (descriptor < 0) return false;
    file = BinaryFile::AdoptForWriting(descriptor, target_);
    return true;
#else
    (void)file;
    return false;
#endif
}

// The signal clean-up is armed before the name exists and confirmed once it does, so a signal
// that lands on any thread removes the file; it is disarmed when the name was someone else's.
bool TargetFolder::CreatePrivate(const fs::path& name, BinaryFile& file) {
    const int folder = Descriptor();
    int descriptor = -1;
    int error = 0;
    {
        const InterruptCleanup::Hold hold;
        const int slot = InterruptCleanup::Arm(folder, name.c_str());
        descriptor = OpenIn(folder, name.c_str(),
                            O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0600);
        error = errno;
        if (descriptor >= 0) {
            InterruptCleanup::Confirm(slot);
            native_->cleanupSlot = slot;
        } else {
            InterruptCleanup::Disarm(slot);
        }
    }
    if (descriptor < 0) {
        if (error == EEXIST) return false;
        Fail(error);
    }
    file = BinaryFile::AdoptForWriting(descriptor, target_);
    HoldAgainstSweeps(descriptor);
    // A sweep that had the file in hand before this run's lock removed it: take another name.
    struct stat status {};
    if (fstat(descriptor, &status) == 0 && status.st_nlink == 0) {
        Remove(file, {});
        return false;
    }
    return true;
}

namespace {

// Gives an unnamed file a name in the folder; never replaces one.
int LinkUnnamed(int file, int folder, const char* name) {
    const std::string self = "/proc/self/fd/" + std::to_string(file);
    int linked = LinkIn(file, folder, name, self.c_str(), AT_FDCWD, AT_SYMLINK_FOLLOW);
#ifdef AT_EMPTY_PATH
    if (linked != 0 && errno == ENOENT) {  // no /proc
        linked = LinkIn(file, folder, name, "", file, AT_EMPTY_PATH);
    }
#endif
    return linked;
}

}  // namespace

bool TargetFolder::NameUnnamed(BinaryFile& file, const fs::path& name) {
    HoldAgainstSweeps(file.Descriptor());  // from the moment it has a name
    const int folder = Descriptor();
    int linked = -1;
    int error = 0;
    {
        const InterruptCleanup::Hold hold;
        const int slot = InterruptCleanup::Arm(folder, name.c_str());
        linked = LinkUnnamed(file.Descriptor(), folder, name.c_str());
        error = errno;
        if (linked == 0) {
            InterruptCleanup::Confirm(slot);
            native_->cleanupSlot = slot;
        } else {
            InterruptCleanup::Disarm(slot);
        }
    }
    if (linked != 0) {
        if (error == EEXIST) return false;
        Fail(error);
    }
    return true;
}

// A new target needs no temporary name: its complete file takes the target's name directly, which
// is as atomic as a rename. Anything else (a target that appeared meanwhile, a system without the
// call) takes the usual way, and that says what is wrong.
bool TargetFolder::NameAsTarget(BinaryFile& file) {
    if (LinkUnnamed(file.Descriptor(), Descriptor(), location_.name.c_str()) != 0) return false;
    CloseInPlace(file);
    return true;
}

// Set on the open file, never by name, so nothing can swap the file in between.
void TargetFolder::GiveFinalAccess(BinaryFile& file, unsigned newFilePermissions) {
    const int descriptor = file.Descriptor();
    struct stat existing {};
    if (fstatat(Descriptor(), location_.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(existing.st_mode)) {
        // Owner first, since a change of owner may clear mode bits. A process that may not give
        // the file away keeps at least the group where it can. Set-id and sticky bits are dropped.
        if (ChangeOwner(descriptor, existing.st_uid, existing.st_gid) != 0 &&
            ChangeOwner(descriptor, static_cast<uid_t>(-1), existing.st_gid) != 0) {
            // The file stays the user's own, with the mode below.
        }
        if (ChangeMode(descriptor, existing.st_mode & 0777) != 0) Fail(errno);
    } else if (ChangeMode(descriptor, newFilePermissions & 0777) != 0) {
        Fail(errno);
    }
}

void TargetFolder::Keep(BinaryFile&) {
    // A named file here is removed by the signal clean-up until Replace disarms it.
}

// Renamed while still open and locked, so that no other run's sweep takes it in between.
void TargetFolder::Replace(BinaryFile& file, const fs::path& name) {
    const int folder = Descriptor();
    const char* from = name.c_str();
    const char* to = location_.name.c_str();
    if (ThroughHook(
            [&] {
                return FileCall{
                    .op = FileOp::Rename, .folder = folder, .name = from, .newName = to};
            },
            [&] { return renameat(folder, from, folder, to); }) != 0) {
        Fail(errno);
    }
    InterruptCleanup::Disarm(std::exchange(native_->cleanupSlot, -1));
    CloseInPlace(file);
}

// The new name lasts through a power cut only once the folder is on disk too. Some file systems
// cannot sync a folder (EINVAL); any other failure, a full disk as well as a failed write, is one.
void TargetFolder::MakeLasting() {
    const int folder = Descriptor();
    if (ThroughHook([&] { return FileCall{.op = FileOp::SyncFolder, .folder = folder}; },
                    [&] { return fsync(folder); }) != 0 &&
        errno != EINVAL && errno != ENOTSUP)
        Fail(errno);
}

bool TargetFolder::SyncFileSystem() {
#ifdef __linux__
    if (!SyncFsReportsFailures()) return false;
    const int folder = Descriptor();
    if (ThroughHook([&] { return FileCall{.op = FileOp::SyncFileSystem, .folder = folder}; },
                    [&] { return syncfs(folder); }) != 0)
        Fail(errno);
    return true;
#else
    return false;
#endif
}

void TargetFolder::Remove(BinaryFile& file, const fs::path& name) noexcept {
    if (!name.empty()) UnlinkIn(native_->folder, name.c_str());
    InterruptCleanup::Disarm(std::exchange(native_->cleanupSlot, -1));
    try {
        file.Close();
    } catch (const FileError&) {
        // The file is being thrown away; a failed final write does not matter.
    }
}

}  // namespace korvel
