#include <windows.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "FileError.h"
#include "WindowsReason.h"

namespace korvel {

namespace {

// ERROR_DIRECTORY_NOT_SUPPORTED, which older SDK headers lack.
constexpr DWORD kDirectoryNotSupported = 336;

// The Windows error that stands for a C library error number.
DWORD WindowsErrorFor(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
            return ERROR_ACCESS_DENIED;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case ENOSPC:
            return ERROR_DISK_FULL;
        case EROFS:
            return ERROR_WRITE_PROTECT;
        case EISDIR:
            return kDirectoryNotSupported;
        case ENOTDIR:
            return ERROR_DIRECTORY;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case EFBIG:
            return ERROR_FILE_TOO_LARGE;
        case EBUSY:
            return ERROR_BUSY;
        case ELOOP:
            return ERROR_CANT_RESOLVE_FILENAME;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_IO_DEVICE;
    }
}

std::string Utf8Of(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

}  // namespace

std::string WindowsReason(unsigned long errorCode) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, errorCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text) return "Windows 错误 " + std::to_string(errorCode);
    DWORD end = length;
    while (end > 0 && (text[end - 1] == L'\r' || text[end - 1] == L'\n' || text[end - 1] == L' '))
        --end;
    std::string reason = Utf8Of(text, static_cast<int>(end));
    LocalFree(text);
    return reason;
}

std::string SystemReason(int errorNumber) { return WindowsReason(WindowsErrorFor(errorNumber)); }

std::string SystemReason(const std::error_code& error) {
    if (error.category() == std::system_category()) return WindowsReason(error.value());
    return SystemReason(error.value());
}

}  // namespace korvel
