#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h:
#include <sddl.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "FileError.h"
#include "TargetFolder.h"
#include "WindowsReason.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kUsualNameLimit = 255;

[[noreturn]] void FailWith(const fs::path& target, DWORD errorCode) {
    throw FileError(FileAccess::Write, target, WindowsReason(errorCode));
}

HANDLE HandleOf(const BinaryFile& file) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(file.Descriptor()));
}

// The current user's account, as text for a security descriptor ("S-1-5-21-...").
std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<std::uint8_t> buffer(size);
    std::wstring text;
    wchar_t* sid = nullptr;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        text = sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return text;
}

// Full access for the current user, the system and the administrators, and for no one else:
// a protected list, so nothing is inherited from the folder.
class PrivateSecurity {
public:
    PrivateSecurity() {
        const std::wstring user = CurrentUserSid();
        if (user.empty()) return;
        const std::wstring text = L"D:P(A;;FA;;;" + user + L")(A;;FA;;;SY)(A;;FA;;;BA)";
        ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                             &descriptor_, nullptr);
    }
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;
    ~PrivateSecurity() {
        if (descriptor_) LocalFree(descriptor_);
    }
    PSECURITY_DESCRIPTOR Descriptor() const { return descriptor_; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

bool MarkForDeletion(HANDLE handle, bool remove) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

bool IsPlainDiskFile(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    return GetFileType(handle) == FILE_TYPE_DISK &&
           GetFileInformationByHandle(handle, &information) &&
           !(information.dwFileAttributes &
             (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// The path in the form the file system's own rename takes: "\??\C:\folder\name" or
// "\??\UNC\server\share\name". A name alone would be taken relative to a folder that differs
// between systems.
std::wstring SystemPathOf(const fs::path& path) {
    std::error_code error;
    const std::wstring full =
        fs::absolute(path, error).lexically_normal().make_preferred().native();
    if (full.starts_with(L"\\\\?\\")) return L"\\??\\" + full.substr(4);
    if (full.starts_with(L"\\\\")) return L"\\??\\UNC\\" + full.substr(2);
    return L"\\??\\" + full;
}

// Gives the open file the name `to`; fails if a file has that name already.
bool RenameOpenFile(HANDLE file, const fs::path& to) {
    const std::wstring name = SystemPathOf(to);
    const std::size_t nameBytes = name.size() * sizeof(wchar_t);
    std::vector<std::uint8_t> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, name.c_str(), nameBytes + sizeof(wchar_t));
    return SetFileInformationByHandle(file, FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size())) != 0;
}

}  // namespace

struct TargetFolder::Native {
    bool markedForDeletion = false;  // the temporary file goes when its handle closes
};

TargetFolder::TargetFolder(const TargetLocation& location, const fs::path& target)
    : location_(location), target_(target), native_(std::make_unique<Native>()) {}

TargetFolder::~TargetFolder() = default;

void TargetFolder::Fail(int errorNumber) const {
    throw FileError(FileAccess::Write, target_, SystemReason(errorNumber));
}

std::size_t TargetFolder::NameLimit() const { return kUsualNameLimit; }

// A live run holds its file open without sharing, and marked for deletion, so only a file that
// can be opened for deletion without sharing is a leftover.
void TargetFolder::SweepLeftovers(const std::vector<fs::path>& names,
                                  const std::function<bool(const fs::path&)>& isLeftover) {
    for (const fs::path& name : names) {
        if (!isLeftover(name)) continue;
        const HANDLE handle =
            CreateFileW((location_.folder / name).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0,
                        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE) continue;
        if (IsPlainDiskFile(handle)) MarkForDeletion(handle, true);
        CloseHandle(handle);
    }
}

bool TargetFolder::CreateUnnamed(BinaryFile&) { return false; }

bool TargetFolder::CreatePrivate(const fs::path& name, BinaryFile& file) {
    const PrivateSecurity security;
    if (!security.Descriptor()) FailWith(target_, GetLastError());
    SECURITY_ATTRIBUTES attributes{sizeof attributes, security.Descriptor(), FALSE};
    const fs::path full = location_.folder / name;
    const HANDLE handle = CreateFileW(full.c_str(), GENERIC_WRITE | DELETE, 0, &attributes,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
        FailWith(target_, error);
    }
    // Where the file system cannot mark it, a later run's sweep removes what a death leaves.
    native_->markedForDeletion = MarkForDeletion(handle, true);
    const int descriptor =
        _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        if (!native_->markedForDeletion) MarkForDeletion(handle, true);
        CloseHandle(handle);
        Fail(EMFILE);
    }
    file = BinaryFile::AdoptForWriting(descriptor, target_);
    return true;
}

bool TargetFolder::NameUnnamed(BinaryFile&, const fs::path&) { return true; }

bool TargetFolder::NameAsTarget(BinaryFile&) { return false; }

// Replacing an existing target keeps its access; a new target keeps the private access the
// file was created with.
void TargetFolder::GiveFinalAccess(BinaryFile&, unsigned) {}

void TargetFolder::Keep(BinaryFile& file) {
    if (!native_->markedForDeletion) return;
    if (!MarkForDeletion(HandleOf(file), false)) FailWith(target_, GetLastError());
    native_->markedForDeletion = false;
}

// A new target is named by the open handle, so a death in between leaves at most the
// temporary name. An existing one is replaced by ReplaceFileW, which gives the new file the
// old one's access list, owner, attributes and creation time; it needs the file closed.
void TargetFolder::Replace(BinaryFile& file, const fs::path& name) {
    const fs::path from = location_.folder / name;
    std::error_code ignored;
    if (!fs::exists(location_.file, ignored) && RenameOpenFile(HandleOf(file), location_.file)) {
        FlushFileBuffers(HandleOf(file));
        file.Close();
        return;
    }
    file.Close();
    const bool replaced =
        fs::exists(location_.file, ignored)
            ? ReplaceFileW(location_.file.c_str(), from.c_str(), nullptr, 0, nullptr, nullptr)
            : MoveFileExW(from.c_str(), location_.file.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!replaced) FailWith(target_, GetLastError());
}

void TargetFolder::MakeLasting() {}

bool TargetFolder::SyncFileSystem() { return false; }

void TargetFolder::Remove(BinaryFile& file, const fs::path& name) noexcept {
    try {
        file.Close();
    } catch (const FileError&) {
        // The file is being thrown away; a failed final write does not matter.
    }
    // One marked for deletion went when it was closed.
    if (!name.empty() && !native_->markedForDeletion) {
        DeleteFileW((location_.folder / name).c_str());
    }
    native_->markedForDeletion = false;
}

}  // namespace korvel
