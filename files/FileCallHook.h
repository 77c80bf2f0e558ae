#pragma once

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace korvel {

// What the file layer asks of the system, one kind per call it makes.
enum class FileOp {
    Open,            // open, openat, the folder's own open; unnamed: a file without a name
    Read,            // read
    Write,           // write, writev
    Seek,            // lseek
    Sync,            // fsync of a file
    SyncFolder,      // fsync of a folder, which makes its names last
    SyncFileSystem,  // syncfs
    Link,            // linkat: an unnamed file takes a name
    Rename,          // renameat
    Unlink,          // unlinkat
    ChangeMode,      // fchmod
    ChangeOwner,     // fchown
    Close            // close
};

// One call, as far as its arguments tell it. Names are relative to `folder` where that is set
// (the *at calls), otherwise paths as given.
struct FileCall {
    FileOp op = FileOp::Open;
    int file = -1;               // the file descriptor the call acts on
    int folder = -1;             // the folder descriptor of an *at call, a folder's sync or syncfs
    const char* name = nullptr;  // opened, linked, unlinked, or renamed from
    const char* newName = nullptr;            // renamed to
    bool unnamed = false;                     // Open: O_TMPFILE, `name` is the folder
    const std::uint8_t* bytes = nullptr;      // Write: what is written, `count` bytes
    std::size_t count = 0;                    // Read, Write: how many bytes are asked for
    const std::uint8_t* moreBytes = nullptr;  // Write: a second part, `moreCount` bytes (writev)
    std::size_t moreCount = 0;
    std::uint64_t offset = 0;  // Seek: where to; ChangeMode: the mode
};

// A watcher of every system call the file layer makes on files and folders, for tests: one can
// record them and make any of them fail. None in the program, where a call costs one branch more.
// The POSIX calls come through FileSystemCallsPosix.cpp and TargetFolderPosix.cpp. On Windows the
// seam is the same functions of FileSystemCallsWindows.cpp (_wopen, _read, _write, _commit for
// FlushFileBuffers, _close) and of TargetFolderWindows.cpp (CreateFileW, ReplaceFileW,
// SetFileInformationByHandle for the new name and the deletion mark), which do not report yet.
class FileCallHook {
public:
    virtual ~FileCallHook() = default;
    // Before the call: an error number makes it fail with that error without reaching the
    // system (Close reaches it anyway: a descriptor is gone after close, whatever it returns).
    // Calls may come from several threads.
    virtual int Before(const FileCall& call) = 0;
    // After the call, or its made-up failure: what it returned, and its error number if it failed.
    virtual void After(const FileCall& call, long long result, int error) = 0;

    // Tests only; nullptr removes the hook. Install while no file call is under way.
    static void Install(FileCallHook* hook) { installed_.store(hook, std::memory_order_release); }
    static FileCallHook* Installed() { return installed_.load(std::memory_order_acquire); }

private:
    static inline std::atomic<FileCallHook*> installed_{nullptr};
};

// Makes `system` (a call that returns -1 and sets errno on failure) known to the hook, if one
// is installed; `describe` gives the FileCall and is asked only then.
template <bool kReachesSystemWhenFailed = false, class Describe, class System>
auto ThroughHook(Describe&& describe, System&& system) -> decltype(system()) {
    FileCallHook* const hook = FileCallHook::Installed();
    if (hook == nullptr) [[likely]]
        return system();
    const FileCall call = describe();
    if (const int failure = hook->Before(call)) {
        if constexpr (kReachesSystemWhenFailed) system();
        hook->After(call, -1, failure);
        errno = failure;
        return -1;
    }
    const auto result = system();
    const int error = result < 0 ? errno : 0;
    hook->After(call, static_cast<long long>(result), error);
    errno = error;
    return result;
}

}  // namespace korvel
