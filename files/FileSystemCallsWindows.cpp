#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "FileSystemCalls.h"

namespace korvel {

namespace {

// The C runtime reads and writes at most this much in one call.
constexpr unsigned kMaxChunk = 1u << 30;
// Descriptors are never inherited by programs the process starts.
constexpr int kCommonFlags = _O_BINARY | _O_NOINHERIT;

std::wstring Upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

bool IsReservedName(const std::wstring& name) {
    // The part before the first dot (or the colon of "COM1:"), without trailing spaces, is what
    // Windows compares.
    std::wstring stem = Upper(name.substr(0, name.find_first_of(L".:")));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (const wchar_t* reserved : {L"CON", L"NUL", L"AUX", L"PRN", L"CONIN$", L"CONOUT$"}) {
        if (stem == reserved) return true;
    }
    return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

}  // namespace

int FileSystemCalls::OpenToRead(const std::filesystem::path& path) {
    return _wopen(path.c_str(), _O_RDONLY | kCommonFlags);
}

int FileSystemCalls::OpenNew(const std::filesystem::path& path) {
    return _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | kCommonFlags,
                  _S_IREAD | _S_IWRITE);
}

bool FileSystemCalls::Describe(int descriptor, Facts& facts) {
    struct _stati64 status {};
    if (_fstati64(descriptor, &status) != 0) return false;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    facts.folder = (status.st_mode & _S_IFMT) == _S_IFDIR;
    facts.regular = (status.st_mode & _S_IFMT) == _S_IFREG && GetFileType(handle) == FILE_TYPE_DISK;
    facts.size = static_cast<std::uint64_t>(status.st_size);
    facts.permissions = static_cast<unsigned>(status.st_mode) & 0777u;
    // The C runtime's time has whole seconds only.
    FILETIME written{};
    if (facts.regular && GetFileTime(handle, nullptr, nullptr, &written)) {
        facts.modified = (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
    }
    return true;
}

bool FileSystemCalls::ReadyForBlockingReads(int) { return true; }

long long FileSystemCalls::ReadSome(int descriptor, std::uint8_t* buffer, std::size_t count) {
    return _read(descriptor, buffer,
                 static_cast<unsigned>(std::min<std::size_t>(count, kMaxChunk)));
}

long long FileSystemCalls::WriteSome(int descriptor, const std::uint8_t* buffer,
                                     std::size_t count) {
    return _write(descriptor, buffer,
                  static_cast<unsigned>(std::min<std::size_t>(count, kMaxChunk)));
}

long long FileSystemCalls::WriteSomeOfTwo(int descriptor, const std::uint8_t* first,
                                          std::size_t firstCount, const std::uint8_t*,
                                          std::size_t) {
    return WriteSome(descriptor, first, firstCount);
}

bool FileSystemCalls::SeekTo(int descriptor, std::uint64_t offset) {
    return _lseeki64(descriptor, static_cast<long long>(offset), SEEK_SET) >= 0;
}

int FileSystemCalls::SyncToDisk(int descriptor) { return _commit(descriptor); }

int FileSystemCalls::Close(int descriptor) { return _close(descriptor); }

unsigned FileSystemCalls::CreationMask() { return 0; }

bool FileSystemCalls::NamesDevice(const std::filesystem::path& path) {
    const std::wstring& text = path.native();
    if (text.starts_with(L"\\\\.\\") || text.starts_with(L"//./") ||
        text.starts_with(L"\\\\?\\GLOBALROOT")) {
        return true;
    }
    return IsReservedName(path.filename().native());
}

bool FileSystemCalls::UserMayWrite(const std::filesystem::path& file) {
    return _waccess(file.c_str(), 2) == 0;
}

}  // namespace korvel
