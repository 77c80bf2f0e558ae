#include "BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "FileError.h"
#include "RunMessages.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace korvel {

namespace {

#ifdef _WIN32
using NativeStat = struct _stati64;
constexpr unsigned kMaxChunk = 1u << 30;
int OpenToRead(const std::filesystem::path& path) {
    return _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}
int OpenNew(const std::filesystem::path& path) {
    return _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}
int StatOf(int descriptor, NativeStat& status) { return _fstati64(descriptor, &status); }
bool IsRegular(const NativeStat& status) { return (status.st_mode & _S_IFMT) == _S_IFREG; }
bool IsFolder(const NativeStat& status) { return (status.st_mode & _S_IFMT) == _S_IFDIR; }
bool ReadyForBlockingReads(int) { return true; }
long long ReadSome(int descriptor, std::uint8_t* buffer, std::size_t count) {
    return _read(descriptor, buffer,
                 static_cast<unsigned>(std::min<std::size_t>(count, kMaxChunk)));
}
long long WriteSome(int descriptor, const std::uint8_t* buffer, std::size_t count) {
    return _write(descriptor, buffer,
                  static_cast<unsigned>(std::min<std::size_t>(count, kMaxChunk)));
}
bool SeekTo(int descriptor, std::uint64_t offset) {
    return _lseeki64(descriptor, static_cast<long long>(offset), SEEK_SET) >= 0;
}
int SyncToDisk(int descriptor) { return _commit(descriptor); }
int CloseDescriptor(int descriptor) { return _close(descriptor); }
#else
using NativeStat = struct stat;
int OpenToRead(const std::filesystem::path& path) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer, possibly for ever.
    return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}
int OpenNew(const std::filesystem::path& path) {
    return open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
}
int StatOf(int descriptor, NativeStat& status) { return fstat(descriptor, &status); }
bool IsRegular(const NativeStat& status) { return S_ISREG(status.st_mode); }
bool IsFolder(const NativeStat& status) { return S_ISDIR(status.st_mode); }
bool ReadyForBlockingReads(int descriptor) {
    const int flags = fcntl(descriptor, F_GETFL);
    return flags >= 0 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0;
}
long long ReadSome(int descriptor, std::uint8_t* buffer, std::size_t count) {
    return read(descriptor, buffer, count);
}
long long WriteSome(int descriptor, const std::uint8_t* buffer, std::size_t count) {
    return write(descriptor, buffer, count);
}
bool SeekTo(int descriptor, std::uint64_t offset) {
    return lseek(descriptor, static_cast<off_t>(offset), SEEK_SET) >= 0;
}
int SyncToDisk(int descriptor) { return fsync(descriptor); }
int CloseDescriptor(int descriptor) { return close(descriptor); }
#endif

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

}  // namespace

BinaryFile BinaryFile::OpenForReading(const std::filesystem::path& path) {
#ifdef _WIN32
    std::error_code ignored;
    // The C runtime refuses a folder with "permission denied"; say what it is instead.
    if (std::filesystem::is_directory(path, ignored)) {
        throw FileError(FileAccess::Read, path, SystemReason(EISDIR));
    }
#endif
    errno = 0;
    BinaryFile file(OpenToRead(path), path, false);
    if (!file.IsOpen()) file.Fail(ErrnoOr(EIO));
    NativeStat status{};
    if (StatOf(file.descriptor_, status) != 0) file.Fail(ErrnoOr(EIO));
    if (IsFolder(status)) file.Fail(EISDIR);
    if (!IsRegular(status)) file.FailBecause(kNotRegularFile);
    if (!ReadyForBlockingReads(file.descriptor_)) file.Fail(ErrnoOr(EIO));
    file.size_ = static_cast<std::uint64_t>(status.st_size);
    file.permissions_ = static_cast<unsigned>(status.st_mode) & 0777u;
    return file;
}

BinaryFile BinaryFile::CreateNew(const std::filesystem::path& path) {
    errno = 0;
    BinaryFile file(OpenNew(path), path, true);
    if (!file.IsOpen()) file.Fail(ErrnoOr(EIO));
    return file;
}

BinaryFile BinaryFile::AdoptForWriting(int descriptor, std::filesystem::path path) {
    return BinaryFile(descriptor, std::move(path), true);
}

BinaryFile::BinaryFile(int descriptor, std::filesystem::path path, bool writing)
    : descriptor_(descriptor), path_(std::move(path)), writing_(writing) {}

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      path_(std::move(other.path_)),
      writing_(other.writing_),
      size_(other.size_),
      permissions_(other.permissions_) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        if (IsOpen()) CloseDescriptor(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        path_ = std::move(other.path_);
        writing_ = other.writing_;
        size_ = other.size_;
        permissions_ = other.permissions_;
    }
    return *this;
}

BinaryFile::~BinaryFile() {
    if (IsOpen()) CloseDescriptor(descriptor_);
}

void BinaryFile::Fail(int errorNumber) const {
    throw FileError(writing_ ? FileAccess::Write : FileAccess::Read, path_,
                    SystemReason(errorNumber));
}

void BinaryFile::FailBecause(const char* reason) const {
    throw FileError(writing_ ? FileAccess::Write : FileAccess::Read, path_, reason);
}

void BinaryFile::Seek(std::uint64_t offset) {
    errno = 0;
    if (!SeekTo(descriptor_, offset)) Fail(ErrnoOr(EIO));
}

std::size_t BinaryFile::Read(std::uint8_t* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        errno = 0;
        const long long got = ReadSome(descriptor_, buffer + done, count - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(ErrnoOr(EIO));
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void BinaryFile::ReadExactly(std::uint8_t* buffer, std::size_t count) {
    if (Read(buffer, count) != count) FailBecause(kSourceChanged);
}

void BinaryFile::ExpectEnd() {
    std::uint8_t probe = 0;
    if (Read(&probe, 1) != 0) FailBecause(kSourceChanged);
}

void BinaryFile::Write(const std::uint8_t* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        errno = 0;
        const long long put = WriteSome(descriptor_, buffer + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) Fail(ErrnoOr(EIO));
        done += static_cast<std::size_t>(put);
    }
}

void BinaryFile::FlushToDisk() {
    errno = 0;
    if (SyncToDisk(descriptor_) != 0) Fail(ErrnoOr(EIO));
}

void BinaryFile::Close() {
    if (!IsOpen()) return;
    errno = 0;
    if (CloseDescriptor(std::exchange(descriptor_, -1)) != 0 && errno != EINTR) {
        Fail(ErrnoOr(EIO));
    }
}

}  // namespace korvel
