#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace korvel {

// The system calls BinaryFile and TargetLocation make on files, one implementation for POSIX
// (FileSystemCallsPosix.cpp) and one for Windows (FileSystemCallsWindows.cpp). Calls that fail
// leave errno set, as the C library's own do.
class FileSystemCalls {
public:
    // What a descriptor refers to.
    struct Facts {
        bool folder = false;
        bool regular = false;  // a file on a disk: not a device, pipe, socket or console
        std::uint64_t size = 0;
        unsigned permissions = 0;  // rwx for owner, group and others
        // The last change to the content, in the finest steps the system keeps; only ever
        // compared with itself.
        std::uint64_t modified = 0;
    };

    // Opens for reading without waiting for a writer (FIFO) and without taking a terminal.
    static int OpenToRead(const std::filesystem::path& path);
    // Creates a new file; fails if one exists already.
    static int OpenNew(const std::filesystem::path& path);
    static bool Describe(int descriptor, Facts& facts);
    // Makes reads wait for data again after OpenToRead.
    static bool ReadyForBlockingReads(int descriptor);
    static long long ReadSome(int descriptor, std::uint8_t* buffer, std::size_t count);
    static long long WriteSome(int descriptor, const std::uint8_t* buffer, std::size_t count);
    // Writes from two buffers, in one call where the system has one (POSIX); may write less.
    static long long WriteSomeOfTwo(int descriptor, const std::uint8_t* first,
                                    std::size_t firstCount, const std::uint8_t* second,
                                    std::size_t secondCount);
    static bool SeekTo(int descriptor, std::uint64_t offset);
    static int SyncToDisk(int descriptor);
    static int Close(int descriptor);

    // The permission bits a new file does not get: the umask on POSIX, none on Windows, where a
    // new target keeps the private access its temporary file was made with.
    static unsigned CreationMask();

    // Whether the path names a device by its name alone, whatever exists there: on Windows the
    // reserved names (CON, NUL, AUX, PRN, COM1-COM9, LPT1-LPT9, also with an extension, as in
    // "nul.txt") and paths in the device namespace ("\\.\pipe\x"). Never on POSIX.
    static bool NamesDevice(const std::filesystem::path& path);
    // Whether the user who started the program, not the one it may run as, may write the file.
    static bool UserMayWrite(const std::filesystem::path& file);
};

}  // namespace korvel
