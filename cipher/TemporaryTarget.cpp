#include "TemporaryTarget.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <random>
#include <string>
#include <utility>

#include "FileError.h"
#include "InterruptCleanup.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace korvel {

namespace fs = std::filesystem;

namespace {

constexpr int kNamingAttempts = 16;
constexpr std::size_t kUsualNameLimit = 255;
std::atomic<bool> preferUnnamed{true};

std::string RandomSuffix() {
    static std::mt19937 engine{std::random_device{}()};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix(6, '0');
    for (char& c : suffix) c = kHex[engine() % 16];
    return suffix;
}

#ifndef _WIN32
mode_t CurrentUmask() {
    const mode_t mask = umask(077);
    umask(mask);
    return mask;
}
#endif

}  // namespace

void TemporaryTarget::PreferUnnamedFiles(bool prefer) { preferUnnamed = prefer; }

TemporaryTarget::TemporaryTarget(fs::path target, unsigned newFilePermissions)
    : target_(std::move(target)),
      location_(TargetLocation::Of(target_)),
      newFilePermissions_(newFilePermissions) {
    try {
        Create();
    } catch (...) {
        Discard();
        throw;
    }
}

TemporaryTarget::~TemporaryTarget() { Discard(); }

void TemporaryTarget::Fail(int errorNumber) const {
    throw FileError(FileAccess::Write, target_, SystemReason(errorNumber));
}

// "<name>.korvel-XXXXXX.part", or ".korvel-XXXXXX.part" where that would be too long a name for
// the folder, so that a file with a name near the limit can still be replaced.
fs::path TemporaryTarget::NewTemporaryName() const {
    const std::string suffix = std::string(kNameMark) + RandomSuffix() + ".part";
    std::size_t limit = kUsualNameLimit;
#ifndef _WIN32
    const long folderLimit = fpathconf(folder_, _PC_NAME_MAX);
    if (folderLimit > 0) limit = static_cast<std::size_t>(folderLimit);
#endif
    const fs::path::string_type full = location_.name.native() + fs::path(suffix).native();
    return full.size() <= limit ? fs::path(full) : fs::path(suffix);
}

void TemporaryTarget::Create() {
#ifndef _WIN32
    folder_ = open(location_.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) Fail(errno);
#endif
    if (!CreateUnnamed()) CreateNamed();
}

bool TemporaryTarget::CreateUnnamed() {
#ifdef O_TMPFILE
    if (!preferUnnamed) return false;
    const int descriptor = openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    // A file system without unnamed files, or a folder that refuses: the named way says why.
    if (descriptor < 0) return false;
    file_ = BinaryFile::AdoptForWriting(descriptor, target_);
    return true;
#else
    return false;
#endif
}

// Tries fresh names until `claim` makes the file under one (returning 0) or fails otherwise than
// by finding the name taken (returning the error number). The signal clean-up is armed in the
// same step as the name appears.
void TemporaryTarget::ClaimNewName(const std::function<int(const fs::path&)>& claim) {
    for (int attempt = 0; attempt < kNamingAttempts; ++attempt) {
        const fs::path name = NewTemporaryName();
        InterruptCleanup::Hold hold;
        const int error = claim(name);
        if (error == 0) {
            tempName_ = name;
#ifndef _WIN32
            cleanupSlot_ = InterruptCleanup::Arm(folder_, name.c_str());
#endif
            return;
        }
        if (error != EEXIST) Fail(error);
    }
    Fail(EEXIST);
}

void TemporaryTarget::CreateNamed() {
    ClaimNewName([this](const fs::path& name) {
#ifdef _WIN32
        const fs::path full = location_.folder / name;
        const int descriptor =
            _wopen(full.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                   _S_IREAD | _S_IWRITE);
#else
        const int descriptor = openat(folder_, name.c_str(),
                                      O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0600);
#endif
        if (descriptor < 0) return errno;
        file_ = BinaryFile::AdoptForWriting(descriptor, target_);
        return 0;
    });
}

void TemporaryTarget::Write(const std::uint8_t* buffer, std::size_t count) {
    file_.Write(buffer, count);
}

void TemporaryTarget::CommitOver() {
    GiveFinalAccess();
    file_.FlushToDisk();
    if (tempName_.empty()) NameUnnamed();
    file_.Close();
    ReplaceTarget();
    finished_ = true;
    Discard();
}

// Set on the open file, never by name, so nothing can swap the file in between.
void TemporaryTarget::GiveFinalAccess() {
#ifndef _WIN32
    const int descriptor = file_.Descriptor();
    struct stat existing {};
    if (fstatat(folder_, location_.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(existing.st_mode)) {
        // Owner first, since a change of owner may clear mode bits. A process that may not give
        // the file away keeps at least the group where it can. Set-id and sticky bits are dropped.
        if (fchown(descriptor, existing.st_uid, existing.st_gid) != 0 &&
            fchown(descriptor, static_cast<uid_t>(-1), existing.st_gid) != 0) {
            // The file stays the user's own, with the mode below.
        }
        if (fchmod(descriptor, existing.st_mode & 0777) != 0) Fail(errno);
    } else if (fchmod(descriptor, newFilePermissions_ & 0777 & ~CurrentUmask()) != 0) {
        Fail(errno);
    }
#endif
}

void TemporaryTarget::NameUnnamed() {
#ifndef _WIN32
    const std::string self = "/proc/self/fd/" + std::to_string(file_.Descriptor());
    ClaimNewName([&](const fs::path& name) {
        int linked = linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW);
#ifdef AT_EMPTY_PATH
        if (linked != 0 && errno == ENOENT) {  // no /proc
            linked = linkat(file_.Descriptor(), "", folder_, name.c_str(), AT_EMPTY_PATH);
        }
#endif
        return linked == 0 ? 0 : errno;
    });
#endif
}

void TemporaryTarget::ReplaceTarget() {
#ifdef _WIN32
    const fs::path from = location_.folder / tempName_;
    if (!MoveFileExW(from.c_str(), location_.file.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw FileError(FileAccess::Write, target_, WindowsReason(GetLastError()));
    }
    tempName_.clear();
#else
    if (renameat(folder_, tempName_.c_str(), folder_, location_.name.c_str()) != 0) Fail(errno);
    ForgetName();
    // The new name lasts through a power cut only once the folder is on disk too. Some file
    // systems cannot sync a folder; only a failed write is a failure here.
    if (fsync(folder_) != 0 && errno == EIO) Fail(errno);
#endif
}

void TemporaryTarget::ForgetName() noexcept {
    InterruptCleanup::Disarm(cleanupSlot_);
    cleanupSlot_ = -1;
    tempName_.clear();
}

void TemporaryTarget::Discard() noexcept {
    try {
        file_.Close();
    } catch (const FileError&) {
        // The file is being thrown away; a failed final write does not matter.
    }
    if (!tempName_.empty() && !finished_) {
#ifdef _WIN32
        std::error_code ignored;
        fs::remove(location_.folder / tempName_, ignored);
#else
        unlinkat(folder_, tempName_.c_str(), 0);
#endif
    }
    ForgetName();
    finished_ = true;
#ifndef _WIN32
    if (folder_ >= 0) close(std::exchange(folder_, -1));
#endif
}

}  // namespace korvel
