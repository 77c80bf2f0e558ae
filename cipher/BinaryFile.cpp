#include "BinaryFile.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "FileError.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace korvel {

namespace {

std::FILE* OpenNative(const std::filesystem::path& path, bool create) {
#ifdef _WIN32
    if (!create) return _wfopen(path.c_str(), L"rb");
    // Older C runtimes do not know fopen's "x"; open exclusively by hand instead.
    const int descriptor =
        _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) return nullptr;
    std::FILE* file = _fdopen(descriptor, "wb");
    if (!file) _close(descriptor);
    return file;
#else
    return std::fopen(path.c_str(), create ? "wbx" : "rb");
#endif
}

int SeekTo(std::FILE* file, std::uint64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), origin);
#else
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

long long Tell(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return ftello(file);
#endif
}

int SyncToDisk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file));
#else
    return fsync(fileno(file));
#endif
}

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

}  // namespace

BinaryFile BinaryFile::OpenForReading(const std::filesystem::path& path) {
    std::error_code ignored;
    // Some C libraries open a folder for reading without complaint; refuse it here.
    if (std::filesystem::is_directory(path, ignored)) {
        throw FileError(FileAccess::Read, path, SystemReason(EISDIR));
    }
    errno = 0;
    std::FILE* file = OpenNative(path, false);
    if (!file) throw FileError(FileAccess::Read, path, SystemReason(ErrnoOr(EIO)));
    return BinaryFile(file, path, false);
}

BinaryFile BinaryFile::CreateNew(const std::filesystem::path& path) {
    errno = 0;
    std::FILE* file = OpenNative(path, true);
    if (!file) throw FileError(FileAccess::Write, path, SystemReason(ErrnoOr(EIO)));
    return BinaryFile(file, path, true);
}

BinaryFile::BinaryFile(std::FILE* file, std::filesystem::path path, bool writing)
    : file_(file), path_(std::move(path)), writing_(writing) {
    // Whole blocks go straight to the system; a second buffer would only copy them again.
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      path_(std::move(other.path_)),
      writing_(other.writing_) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        if (file_) std::fclose(file_);
        file_ = std::exchange(other.file_, nullptr);
        path_ = std::move(other.path_);
        writing_ = other.writing_;
    }
    return *this;
}

BinaryFile::~BinaryFile() {
    if (file_) std::fclose(file_);
}

void BinaryFile::Fail(int errorNumber) const {
    throw FileError(writing_ ? FileAccess::Write : FileAccess::Read, path_,
                    SystemReason(errorNumber));
}

std::uint64_t BinaryFile::Size() {
    errno = 0;
    const long long here = Tell(file_);
    if (here < 0 || SeekTo(file_, 0, SEEK_END) != 0) Fail(ErrnoOr(EIO));
    const long long end = Tell(file_);
    if (end < 0 || SeekTo(file_, static_cast<std::uint64_t>(here), SEEK_SET) != 0) {
        Fail(ErrnoOr(EIO));
    }
    return static_cast<std::uint64_t>(end);
}

void BinaryFile::Seek(std::uint64_t offset) {
    errno = 0;
    if (SeekTo(file_, offset, SEEK_SET) != 0) Fail(ErrnoOr(EIO));
}

std::size_t BinaryFile::Read(std::uint8_t* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        errno = 0;
        const std::size_t got = std::fread(buffer + done, 1, count - done, file_);
        done += got;
        if (got == 0) {
            if (std::ferror(file_)) Fail(ErrnoOr(EIO));
            break;
        }
    }
    return done;
}

void BinaryFile::ReadExactly(std::uint8_t* buffer, std::size_t count) {
    if (Read(buffer, count) != count) {
        // The file became shorter while it was being read.
        throw FileError(FileAccess::Read, path_,
                        std::make_error_code(std::errc::io_error).message());
    }
}

void BinaryFile::Write(const std::uint8_t* buffer, std::size_t count) {
    errno = 0;
    if (std::fwrite(buffer, 1, count, file_) != count) Fail(ErrnoOr(EIO));
}

void BinaryFile::FlushToDisk() {
    errno = 0;
    if (std::fflush(file_) != 0 || SyncToDisk(file_) != 0) Fail(ErrnoOr(EIO));
}

void BinaryFile::Close() {
    if (!file_) return;
    errno = 0;
    const int result = std::fclose(std::exchange(file_, nullptr));
    if (result != 0) Fail(ErrnoOr(EIO));
}

}  // namespace korvel
