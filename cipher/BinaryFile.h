#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace korvel {

// A file opened in binary mode, read or written in blocks. Every failure throws FileError naming
// the file. Closed on destruction; Close() reports a failed final write.
class BinaryFile {
public:
    static BinaryFile OpenForReading(const std::filesystem::path& path);
    // Creates a new file; fails if one exists already.
    static BinaryFile CreateNew(const std::filesystem::path& path);

    BinaryFile(BinaryFile&& other) noexcept;
    BinaryFile& operator=(BinaryFile&& other) noexcept;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    ~BinaryFile();

    std::uint64_t Size();
    void Seek(std::uint64_t offset);
    // Reads up to count bytes; fewer only at the end of the file.
    std::size_t Read(std::uint8_t* buffer, std::size_t count);
    // Reads exactly count bytes; a file that ends early is a read failure.
    void ReadExactly(std::uint8_t* buffer, std::size_t count);
    void Write(const std::uint8_t* buffer, std::size_t count);
    // Pushes everything written so far to the storage device.
    void FlushToDisk();
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    const std::filesystem::path& Path() const { return path_; }

private:
    BinaryFile(std::FILE* file, std::filesystem::path path, bool writing);
    [[noreturn]] void Fail(int errorNumber) const;

    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    bool writing_ = false;
};

}  // namespace korvel
