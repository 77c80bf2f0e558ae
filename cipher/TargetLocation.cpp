#include "TargetLocation.h"

#include <cerrno>
#include <system_error>

#include "FileError.h"
#include "RunMessages.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace korvel {

namespace fs = std::filesystem;

namespace {

constexpr int kMostLinksFollowed = 40;

fs::path FollowLinks(const fs::path& target) {
    fs::path path = target;
    for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(path, error)) return path;
        const fs::path next = fs::read_symlink(path, error);
        if (error) throw FileError(FileAccess::Write, target, SystemReason(error));
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    throw FileError(FileAccess::Write, target, SystemReason(ELOOP));
}

// Whether the user who started the program, not the one it may run as, may write the file. The
// superuser may, as with cp.
bool UserMayWrite(const fs::path& file) {
#ifdef _WIN32
    return _waccess(file.c_str(), 2) == 0;
#else
    return access(file.c_str(), W_OK) == 0;
#endif
}

}  // namespace

TargetLocation TargetLocation::Of(const fs::path& target) {
    TargetLocation location;
    location.file = FollowLinks(target);
    std::error_code error;
    const fs::file_status status = fs::symlink_status(location.file, error);
    if (fs::is_directory(status)) throw FileError(FileAccess::Write, target, SystemReason(EISDIR));
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) {
            throw FileError(FileAccess::Write, target, kNotRegularFile);
        }
        errno = 0;
        if (!UserMayWrite(location.file)) {
            throw FileError(FileAccess::Write, target, SystemReason(errno ? errno : EACCES));
        }
    }
    location.folder = location.file.parent_path();
    if (location.folder.empty()) location.folder = ".";
    location.name = location.file.filename();
    return location;
}

}  // namespace korvel
