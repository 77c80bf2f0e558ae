#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace korvel {

enum class FileAccess { Read, Write };

// A file could not be opened, read, written or renamed: which file, how it was being used, and
// the reason. The user's message is composed from these at the run's end (FailureMessage).
class FileError : public std::runtime_error {
public:
    FileError(FileAccess access, std::filesystem::path file, std::string reason);

    FileAccess Access() const { return access_; }
    const std::filesystem::path& File() const { return file_; }
    const std::string& Reason() const { return reason_; }

private:
    FileAccess access_;
    std::filesystem::path file_;
    std::string reason_;
};

// The reason the system gives for a C library error number, in the user's language: on POSIX
// that of the program's locale, on Windows that of the user (the C runtime's own texts are
// English only, so the Windows error for the same fault is looked up instead).
std::string SystemReason(int errorNumber);

// The same for an error code from the standard library (std::filesystem), whichever its category.
std::string SystemReason(const std::error_code& error);

// A path as UTF-8 text for messages, whatever the platform's native encoding.
std::string PathText(const std::filesystem::path& path);

}  // namespace korvel
