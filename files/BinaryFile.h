#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "PathIdentity.h"

namespace korvel {

// An open file descriptor read or written in blocks. Every failure throws FileError naming the
// file. Closed on destruction; Close() reports a failed final write.
class BinaryFile {
public:
    // Opens a regular file for reading. A FIFO, device or socket is refused without waiting for
    // a writer and without reading from it, so such a node can neither hang a run nor feed it an
    // endless stream.
    // On Windows, a name that stands for a device (CON, NUL, COM1, "\\.\pipe\x") is refused
    // without being opened, and so is whatever is not a file on a disk.
    static BinaryFile OpenForReading(const std::filesystem::path& path);
    // Whether OpenForReading has something to open or refuse: a file system entry, or a device
    // name, which exists although the file system does not list it.
    static bool MayBeOpened(const std::filesystem::path& path);
    static bool MayBeOpened(const SeenPath& path);
    // Creates a new file; fails if one exists already.
    static BinaryFile CreateNew(const std::filesystem::path& path);
    // Takes over a descriptor opened for writing.
    static BinaryFile AdoptForWriting(int descriptor, std::filesystem::path path);

    BinaryFile() = default;  // not open
    BinaryFile(BinaryFile&& other) noexcept;
    BinaryFile& operator=(BinaryFile&& other) noexcept;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    ~BinaryFile();

    // The length when the file was opened for reading.
    std::uint64_t Size() const { return size_; }
    // The permission bits (rwx for owner, group and others) when the file was opened for reading.
    unsigned Permissions() const { return permissions_; }
    void Seek(std::uint64_t offset);
    // Reads up to count bytes; fewer only at the end of the file.
    std::size_t Read(std::uint8_t* buffer, std::size_t count);
    // Reads exactly count bytes; a file that ends early has changed since it was opened.
    void ReadExactly(std::uint8_t* buffer, std::size_t count);
    // Fails when the file yields anything past the current position or no longer has the length
    // or modification time it had when opened: it grew, was cut short or was written over after it
    // was opened, or its length did not tell its content (as with many files under /proc).
    void ExpectEnd();
    void Write(const std::uint8_t* buffer, std::size_t count);
    // Writes first and then second, in one system call where the system has one.
    void WriteTwo(const std::uint8_t* first, std::size_t firstCount, const std::uint8_t* second,
                  std::size_t secondCount);
    // Pushes everything written so far to the storage device.
    void FlushToDisk();
    void Close();
    bool IsOpen() const { return descriptor_ >= 0; }
    int Descriptor() const { return descriptor_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    BinaryFile(int descriptor, std::filesystem::path path, bool writing);
    [[noreturn]] void Fail(int errorNumber) const;
    [[noreturn]] void FailBecause(const char* reason) const;

    int descriptor_ = -1;
    std::filesystem::path path_;
    bool writing_ = false;
    std::uint64_t size_ = 0;
    unsigned permissions_ = 0;
    std::uint64_t modified_ = 0;
};

}  // namespace korvel
