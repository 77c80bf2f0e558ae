// What runs do to files on Windows: the temporary file is private and removed by the system if
// the program dies, a replaced target keeps its access list, attributes and creation time, and
// devices are refused. Built only for Windows.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <io.h>
#include <sddl.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "files/FileError.h"
#include "files/TargetFolder.h"
#include "files/TemporaryTarget.h"
#include "files/WindowsReason.h"
#include "run/CipherRun.h"
#include "run/RunMessages.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

constexpr const wchar_t* kChildFolderVariable = L"KORVEL_TEST_CHILD_FOLDER";
constexpr const wchar_t* kChildReadyVariable = L"KORVEL_TEST_CHILD_READY";

std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    std::wstring text;
    wchar_t* sid = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        text = sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return text;
}

struct AccessEntry {
    std::wstring account;  // as text, "S-1-5-18"
    bool inherited;
};

// What an access list grants, entry by entry.
std::vector<AccessEntry> Grants(PACL list) {
    std::vector<AccessEntry> entries;
    for (DWORD index = 0; list && index < list->AceCount; ++index) {
        void* entry = nullptr;
        wchar_t* account = nullptr;
        if (!GetAce(list, index, &entry) ||
            static_cast<ACE_HEADER*>(entry)->AceType != ACCESS_ALLOWED_ACE_TYPE ||
            !ConvertSidToStringSidW(&static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart, &account)) {
            continue;
        }
        entries.push_back(
            {account, (static_cast<ACE_HEADER*>(entry)->AceFlags & INHERITED_ACE) != 0});
        LocalFree(account);
    }
    return entries;
}

// Whether exactly the current user is granted access to the file.
bool GrantsOnlyTheUser(const fs::path& file) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const std::vector<AccessEntry> grants = Grants(list);
    const bool only = grants.size() == 1 && grants[0].account == CurrentUserSid();
    LocalFree(descriptor);
    return only;
}

void GrantOnlyTheUser(const fs::path& file) {
    const std::wstring ownerOnly = L"D:P(A;;FA;;;" + CurrentUserSid() + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(ownerOnly.c_str(), SDDL_REVISION_1,
                                                         &descriptor, nullptr);
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted);
    SetNamedSecurityInfoW(const_cast<wchar_t*>(file.c_str()), SE_FILE_OBJECT,
                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                          nullptr, list, nullptr);
    LocalFree(descriptor);
}

FILETIME CreationTime(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
    return data.ftCreationTime;
}

void SetCreationTime(const fs::path& file, const FILETIME& time) {
    const HANDLE handle = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    SetFileTime(handle, &time, nullptr, nullptr);
    CloseHandle(handle);
}

// 1 January 2001.
constexpr FILETIME kOldTime{0x0DE3C000, 0x01C073B3};

class WindowsFileSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(folder / "uae", PatternBytes(70000, 1));
        WriteBytes(folder / "plain", PatternBytes(400000, 2));
        WriteBytes(folder / "old", existing);
    }

    RunResult Encrypt(const fs::path& source, const fs::path& target, const fs::path& key) {
        RecordingObserver observer;
        return CipherRun({Direction::Encrypt, source, target, "windows files", key}, observer);
    }

    TempFolder folder;
    const Bytes existing = PatternBytes(777, 3);
    const std::vector<std::string> untouched{"old", "plain", "uae"};
};

// Run by KilledMidRunLeavesNoFileAndTheTargetUnchanged in a process of its own, which it ends.
TEST(WindowsChildRun, DISABLED_EncryptsUntilEnded) {
    const wchar_t* folder = _wgetenv(kChildFolderVariable);
    const wchar_t* ready = _wgetenv(kChildReadyVariable);
    ASSERT_TRUE(folder && ready);
    const HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, ready);
    RecordingObserver observer;
    observer.onPump = [&](int pump) {
        if (pump == 50) {
            SetEvent(event);
            Sleep(INFINITE);
        }
        return true;
    };
    const fs::path base = folder;
    CipherRun({Direction::Encrypt, base / "plain", base / "old", "windows files", base / "uae"},
              observer);
}

TEST_F(WindowsFileSafetyTest, KilledMidRunLeavesNoFileAndTheTargetUnchanged) {
    const std::wstring ready = L"korvel-test-ready-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, ready.c_str());
    SetEnvironmentVariableW(kChildFolderVariable, folder.Path().c_str());
    SetEnvironmentVariableW(kChildReadyVariable, ready.c_str());
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(program) +
                           L"\" --gtest_also_run_disabled_tests "
                           L"--gtest_filter=WindowsChildRun.DISABLED_EncryptsUntilEnded";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child));
    const DWORD waited = WaitForSingleObject(event, 60000);
    const std::vector<std::string> during = folder.Listing();
    TerminateProcess(child.hProcess, 1);
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    CloseHandle(event);

    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the child never reached the middle of its run";
    ASSERT_EQ(during.size(), untouched.size() + 1);  // the named temporary file was there
    EXPECT_EQ(folder.Listing(), untouched);
    EXPECT_EQ(ReadBytes(folder / "old"), existing);
}

TEST_F(WindowsFileSafetyTest, TemporaryFileGrantsTheUserAndNoOtherAccountAndIsNotShared) {
    const fs::path target = folder / "new";
    TargetFolder place(TargetLocation::Of(target), target);
    BinaryFile file;
    const fs::path name = "new.korvel-000000.part";
    ASSERT_TRUE(place.CreatePrivate(name, file));

    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD read =
        GetSecurityInfo(reinterpret_cast<HANDLE>(_get_osfhandle(file.Descriptor())), SE_FILE_OBJECT,
                        DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr, &descriptor);
    const HANDLE other = CreateFileW((folder / name).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE) << "another handle could read the file";
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    place.Remove(file, name);
    EXPECT_EQ(folder.Listing(), untouched);

    if (read != ERROR_SUCCESS) GTEST_SKIP() << "the system cannot read back a file's access list";
    const std::wstring user = CurrentUserSid();
    bool userGranted = false;
    for (const AccessEntry& grant : Grants(list)) {
        const std::string account = PathText(grant.account);
        userGranted = userGranted || grant.account == user;
        EXPECT_TRUE(grant.account == user || account == "S-1-5-18" || account == "S-1-5-32-544")
            << "access for another account: " << account;
        EXPECT_FALSE(grant.inherited) << "access inherited from the folder: " << account;
    }
    EXPECT_TRUE(userGranted);
    LocalFree(descriptor);
}

void MakeHiddenAndOld(const fs::path& file) {
    SetCreationTime(file, kOldTime);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
}

bool IsHiddenAndOld(const fs::path& file) {
    const FILETIME created = CreationTime(file);
    return (GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN) &&
           CompareFileTime(&created, &kOldTime) == 0;
}

// Whether this system's own ReplaceFileW keeps the hidden attribute and the creation time, tried
// on a pair of files in `scratch`; wine's keeps neither.
bool SystemReplaceKeepsAttributes(const fs::path& scratch) {
    fs::create_directory(scratch);
    WriteBytes(scratch / "replaced", {1});
    WriteBytes(scratch / "replacement", {2});
    MakeHiddenAndOld(scratch / "replaced");
    ReplaceFileW((scratch / "replaced").c_str(), (scratch / "replacement").c_str(), nullptr, 0,
                 nullptr, nullptr);
    const bool kept = IsHiddenAndOld(scratch / "replaced");
    SetFileAttributesW((scratch / "replaced").c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(scratch);
    return kept;
}

TEST_F(WindowsFileSafetyTest, ReplacedTargetKeepsItsAccessListHiddenAttributeAndCreationTime) {
    const fs::path old = folder / "old";
    GrantOnlyTheUser(old);
    const bool systemKeepsLists = GrantsOnlyTheUser(old);
    const bool systemReplaceKeeps = SystemReplaceKeepsAttributes(folder / "probe");
    MakeHiddenAndOld(old);

    ASSERT_EQ(Encrypt(folder / "plain", old, folder / "uae").outcome, RunOutcome::Completed);
    EXPECT_EQ(fs::file_size(old), 400010u);
    EXPECT_EQ(folder.Listing(), untouched);
    if (systemKeepsLists) {
        EXPECT_TRUE(GrantsOnlyTheUser(old)) << "the access list changed";
    }
    if (systemReplaceKeeps) {
        EXPECT_TRUE(IsHiddenAndOld(old)) << "attributes or creation time lost";
    }
    SetFileAttributesW(old.c_str(), FILE_ATTRIBUTE_NORMAL);

    if (!systemKeepsLists || !systemReplaceKeeps) {
        GTEST_SKIP() << "not checked, as this system does not do it itself:"
                     << (systemKeepsLists ? "" : " keep an access list set on a file;")
                     << (systemReplaceKeeps ? ""
                                            : " keep attributes and creation time in ReplaceFileW");
    }
}

TEST_F(WindowsFileSafetyTest, ReadOnlyTargetIsRefusedWithTheSystemsReasonAndKept) {
    ASSERT_TRUE(SetFileAttributesW((folder / "old").c_str(), FILE_ATTRIBUTE_READONLY));
    const RunResult result = Encrypt(folder / "plain", folder / "old", folder / "uae");
    SetFileAttributesW((folder / "old").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(result.outcome, RunOutcome::Failed);
    EXPECT_EQ(result.reason, WindowsReason(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadBytes(folder / "old"), existing);
    EXPECT_EQ(folder.Listing(), untouched);
}

struct DeviceCase {
    const char* role;
    fs::path source, target, key, failing;
};

TEST_F(WindowsFileSafetyTest, DevicesAsSourceKeyFileOrTargetFailAtOnceAndCreateNothing) {
    const std::wstring pipeName =
        L"\\\\.\\pipe\\korvel-test-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1,
                                         4096, 4096, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    const fs::path devices[] = {folder / "CON", folder / "NUL", folder / "nul.txt", folder / "COM1",
                                fs::path(pipeName)};
    for (const fs::path& device : devices) {
        const DeviceCase cases[] = {
            {"source", device, folder / "new", folder / "uae", device},
            {"key file", folder / "plain", folder / "new", device, device},
            {"target", folder / "plain", device, folder / "uae", device},
        };
        for (const DeviceCase& c : cases) {
            SCOPED_TRACE(PathText(device) + " as " + c.role);
            const RunResult result = Encrypt(c.source, c.target, c.key);
            EXPECT_EQ(result.outcome, RunOutcome::Failed);
            EXPECT_EQ(result.failedFile, c.failing);
            EXPECT_EQ(result.reason, kNotRegularFile);
            EXPECT_EQ(folder.Listing(), untouched);
        }
    }
    CloseHandle(pipe);
}

}  // namespace
}  // namespace korvel::test
