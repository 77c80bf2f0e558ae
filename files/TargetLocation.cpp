#include "TargetLocation.h"

#include <cerrno>
#include <system_error>

#include "FileError.h"
#include "FileMessages.h"
#include "FileSystemCalls.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

constexpr int kMostLinksFollowed = 40;

// The path links lead to, and what is there.
fs::path FollowLinks(const fs::path& target, fs::file_status& status) {
    fs::path path = target;
    for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
        std::error_code error;
        status = fs::symlink_status(path, error);
        if (!fs::is_symlink(status)) return path;
        const fs::path next = fs::read_symlink(path, error);
        if (error) throw FileError(FileAccess::Write, target, SystemReason(error));
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    throw FileError(FileAccess::Write, target, SystemReason(ELOOP));
}

}  // namespace

TargetLocation TargetLocation::Of(const fs::path& target, bool seenAbsent) {
    // Writing to NUL would "complete" while keeping nothing; nothing is created for a device.
    if (FileSystemCalls::NamesDevice(target)) {
        throw FileError(FileAccess::Write, target, kNotRegularFile);
    }
    TargetLocation location;
    fs::file_status status(fs::file_type::not_found);
    location.file = seenAbsent ? target : FollowLinks(target, status);
    if (FileSystemCalls::NamesDevice(location.file)) {
        throw FileError(FileAccess::Write, target, kNotRegularFile);
    }
    if (fs::is_directory(status)) throw FileError(FileAccess::Write, target, SystemReason(EISDIR));
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) {
            throw FileError(FileAccess::Write, target, kNotRegularFile);
        }
        errno = 0;
        if (!FileSystemCalls::UserMayWrite(location.file)) {
            throw FileError(FileAccess::Write, target, SystemReason(errno ? errno : EACCES));
        }
    }
    location.folder = location.file.parent_path();
    if (location.folder.empty()) location.folder = ".";
    location.name = location.file.filename();
    return location;
}

}  // namespace korvel
