#include "BinaryFile.h"

#include <cerrno>
#include <utility>

#include "FileError.h"
#include "FileMessages.h"
#include "FileSystemCalls.h"

namespace korvel {

namespace {

using Calls = FileSystemCalls;

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

}  // namespace

BinaryFile BinaryFile::OpenForReading(const std::filesystem::path& path) {
    // A device is never opened: reading the console or a pipe could wait for ever.
    if (Calls::NamesDevice(path)) throw FileError(FileAccess::Read, path, kNotRegularFile);
    errno = 0;
    BinaryFile file(Calls::OpenToRead(path), path, false);
    if (!file.IsOpen()) {
        const int error = ErrnoOr(EIO);
        // The Windows C runtime refuses a folder with "permission denied"; say what it is instead.
        std::error_code ignored;
        file.Fail(std::filesystem::is_directory(path, ignored) ? EISDIR : error);
    }
    Calls::Facts facts;
    if (!Calls::Describe(file.descriptor_, facts)) file.Fail(ErrnoOr(EIO));
    if (facts.folder) file.Fail(EISDIR);
    if (!facts.regular) file.FailBecause(kNotRegularFile);
    if (!Calls::ReadyForBlockingReads(file.descriptor_)) file.Fail(ErrnoOr(EIO));
    file.size_ = facts.size;
    file.permissions_ = facts.permissions;
    file.modified_ = facts.modified;
    return file;
}

bool BinaryFile::MayBeOpened(const std::filesystem::path& path) {
    std::error_code ignored;
    return Calls::NamesDevice(path) || std::filesystem::exists(path, ignored);
}

bool BinaryFile::MayBeOpened(const SeenPath& path) {
    return Calls::NamesDevice(path.path) || path.exists;
}

BinaryFile BinaryFile::CreateNew(const std::filesystem::path& path) {
    errno = 0;
    BinaryFile file(Calls::OpenNew(path), path, true);
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
      permissions_(other.permissions_),
      modified_(other.modified_) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        if (IsOpen()) Calls::Close(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        path_ = std::move(other.path_);
        writing_ = other.writing_;
        size_ = other.size_;
        permissions_ = other.permissions_;
        modified_ = other.modified_;
    }
    return *this;
}

BinaryFile::~BinaryFile() {
    if (IsOpen()) Calls::Close(descriptor_);
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
    if (!Calls::SeekTo(descriptor_, offset)) Fail(ErrnoOr(EIO));
}

std::size_t BinaryFile::Read(std::uint8_t* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        errno = 0;
        const long long got = Calls::ReadSome(descriptor_, buffer + done, count - done);
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
    // Cut short after its last block was read, or written over in place with as many bytes:
    // nothing past the end shows that.
    Calls::Facts facts;
    if (Calls::Describe(descriptor_, facts) &&
        (facts.size != size_ || facts.modified != modified_)) {
        FailBecause(kSourceChanged);
    }
}

void BinaryFile::Write(const std::uint8_t* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        errno = 0;
        const long long put = Calls::WriteSome(descriptor_, buffer + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) Fail(ErrnoOr(EIO));
        done += static_cast<std::size_t>(put);
    }
}

void BinaryFile::WriteTwo(const std::uint8_t* first, std::size_t firstCount,
                          const std::uint8_t* second, std::size_t secondCount) {
    long long put = 0;
    do {
        errno = 0;
        put = Calls::WriteSomeOfTwo(descriptor_, first, firstCount, second, secondCount);
    } while (put < 0 && errno == EINTR);
    if (put <= 0) Fail(ErrnoOr(EIO));
    // What a short write left goes the usual way.
    const auto done = static_cast<std::size_t>(put);
    if (done < firstCount) {
        Write(first + done, firstCount - done);
        Write(second, secondCount);
    } else {
        Write(second + (done - firstCount), secondCount - (done - firstCount));
    }
}

void BinaryFile::FlushToDisk() {
    errno = 0;
    if (Calls::SyncToDisk(descriptor_) != 0) Fail(ErrnoOr(EIO));
}

void BinaryFile::Close() {
    if (!IsOpen()) return;
    errno = 0;
    if (Calls::Close(std::exchange(descriptor_, -1)) != 0 && errno != EINTR) {
        Fail(ErrnoOr(EIO));
    }
}

}  // namespace korvel
