#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "FileCallHook.h"
#include "FileSystemCalls.h"

namespace korvel {

int FileSystemCalls::OpenToRead(const std::filesystem::path& path) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer, possibly for ever.
    return ThroughHook(
        [&] { return FileCall{.op = FileOp::Open, .name = path.c_str()}; },
        [&] { return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); });
}

int FileSystemCalls::OpenNew(const std::filesystem::path& path) {
    return ThroughHook(
        [&] { return FileCall{.op = FileOp::Open, .name = path.c_str()}; },
        [&] { return open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666); });
}

bool FileSystemCalls::Describe(int descriptor, Facts& facts) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0) return false;
    facts.folder = S_ISDIR(status.st_mode);
    facts.regular = S_ISREG(status.st_mode);
    facts.size = static_cast<std::uint64_t>(status.st_size);
    facts.permissions = static_cast<unsigned>(status.st_mode) & 0777u;
    facts.modified = static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                     static_cast<std::uint64_t>(status.st_mtim.tv_nsec);
    return true;
}

bool FileSystemCalls::ReadyForBlockingReads(int descriptor) {
    // The only status flag OpenToRead sets that F_SETFL can change is O_NONBLOCK.
    return fcntl(descriptor, F_SETFL, 0) == 0;
}

long long FileSystemCalls::ReadSome(int descriptor, std::uint8_t* buffer, std::size_t count) {
    return ThroughHook(
        [&] { return FileCall{.op = FileOp::Read, .file = descriptor, .count = count}; },
        [&] { return read(descriptor, buffer, count); });
}

long long FileSystemCalls::WriteSome(int descriptor, const std::uint8_t* buffer,
                                     std::size_t count) {
    return ThroughHook(
        [&] {
            return FileCall{
                .op = FileOp::Write, .file = descriptor, .bytes = buffer, .count = count};
        },
        [&] { return write(descriptor, buffer, count); });
}

long long FileSystemCalls::WriteSomeOfTwo(int descriptor, const std::uint8_t* first,
                                          std::size_t firstCount, const std::uint8_t* second,
                                          std::size_t secondCount) {
    const iovec parts[] = {{const_cast<std::uint8_t*>(first), firstCount},
                           {const_cast<std::uint8_t*>(second), secondCount}};
    return ThroughHook(
        [&] {
            return FileCall{.op = FileOp::Write,
                            .file = descriptor,
                            .bytes = first,
                            .count = firstCount,
                            .moreBytes = second,
                            .moreCount = secondCount};
        },
        [&] { return writev(descriptor, parts, 2); });
}

bool FileSystemCalls::SeekTo(int descriptor, std::uint64_t offset) {
    return ThroughHook(
               [&] { return FileCall{.op = FileOp::Seek, .file = descriptor, .offset = offset}; },
               [&] { return lseek(descriptor, static_cast<off_t>(offset), SEEK_SET); }) >= 0;
}

int FileSystemCalls::SyncToDisk(int descriptor) {
    return ThroughHook([&] { return FileCall{.op = FileOp::Sync, .file = descriptor}; },
                       [&] { return fsync(descriptor); });
}

int FileSystemCalls::Close(int descriptor) {
    return ThroughHook<true>([&] { return FileCall{.op = FileOp::Close, .file = descriptor}; },
                             [&] { return close(descriptor); });
}

// Read where the system tells it (Linux 4.7 and later), since setting the umask to learn it
// would change it for a moment for every thread of the process.
unsigned FileSystemCalls::CreationMask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<unsigned>(std::stoul(line.substr(6), nullptr, 8));
    }
    const mode_t mask = umask(077);
    umask(mask);
    return static_cast<unsigned>(mask);
}

bool FileSystemCalls::NamesDevice(const std::filesystem::path&) { return false; }

bool FileSystemCalls::UserMayWrite(const std::filesystem::path& file) {
    // The superuser may, as with cp.
    return access(file.c_str(), W_OK) == 0;
}

}  // namespace korvel
