// Faults that need a second process or the superuser: the process killed in the middle of a run,
// a write refused by the system, a file system that fills up.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "files/FileError.h"
#include "run/CipherRun.h"
#include "run/RunMessages.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

class ProcessFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(folder / "uae", PatternBytes(130000, 1));
        WriteBytes(folder / "plain", PatternBytes(8 << 20, 2));
        WriteBytes(folder / "old", existing);
    }

    RunResult EncryptInto(const fs::path& target, RecordingObserver& observer) {
        return CipherRun(
            {Direction::Encrypt, folder / "plain", target, "fault test", folder / "uae"}, observer);
    }

    std::vector<std::string> OthersThan(const std::vector<std::string>& known) const {
        std::vector<std::string> others;
        for (const auto& name : folder.Listing()) {
            if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
        }
        return others;
    }

    TempFolder folder;
    const Bytes existing = PatternBytes(4321, 3);
};

// SIGKILL cannot be caught. Where the file system has unnamed files, the temporary file never
// had a name and vanishes with the process; elsewhere a named leftover tells what it is.
TEST_F(ProcessFaultTest, KilledMidRunLeavesTheTargetAndNoNamedFileWhereTheSystemAllows) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        RecordingObserver observer;
        observer.onPump = [&](int pump) {
            if (pump == 3000) {
                const char byte = 1;
                if (write(ready[1], &byte, 1) == 1) pause();
            }
            return true;
        };
        EncryptInto(folder / "old", observer);
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);

    EXPECT_EQ(ReadBytes(folder / "old"), existing);
    const auto others = OthersThan({"old", "plain", "uae"});
    if (FolderHoldsUnnamedFiles(folder.Path())) {
        EXPECT_TRUE(others.empty()) << others[0];
        return;
    }
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(others[0].rfind("old.korvel-", 0), 0u) << others[0];
    EXPECT_TRUE(others[0].ends_with(".part")) << others[0];
}

TEST_F(ProcessFaultTest, RefusedWriteGivesTheWriteMessageAndLeavesNothing) {
    const int status = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1 << 20, 1 << 20};  // files may not grow past 1 MiB
        setrlimit(RLIMIT_FSIZE, &limit);
        RecordingObserver observer;
        const RunResult result = EncryptInto(folder / "old", observer);
        const bool failed = result.outcome == RunOutcome::Failed &&
                            result.message.rfind(kCannotWriteFile, 0) == 0 &&
                            observer.events.back() == "warning:" + result.message;
        return failed ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(folder / "old"), existing);
    EXPECT_TRUE(OthersThan({"old", "plain", "uae"}).empty());
}

// The superuser reads and writes everything; an ordinary user does not. The run happens in a
// child that has given up its rights.
TEST_F(ProcessFaultTest, UnreadableFilesAndReadOnlyFoldersFailWithTheirMessages) {
    fs::create_directory(folder / "locked");
    WriteBytes(folder / "locked" / "old", existing);
    WriteBytes(folder / "secret", PatternBytes(5000, 4));
    fs::permissions(folder / "secret", fs::perms::none);
    fs::permissions(folder / "locked", fs::perms::owner_all | fs::perms::group_read |
                                           fs::perms::group_exec | fs::perms::others_read |
                                           fs::perms::others_exec);
    const auto failsWith = [&](const fs::path& source, const fs::path& target, const fs::path& key,
                               const char* lead, const fs::path& named) {
        return InChild([&] {
            if (!DropRights()) return 2;
            RecordingObserver observer;
            const RunResult result =
                CipherRun({Direction::Encrypt, source, target, "fault test", key}, observer);
            const bool ok = result.outcome == RunOutcome::Failed && result.failedFile == named &&
                            result.message.rfind(lead, 0) == 0;
            return ok ? 0 : 1;
        });
    };
    EXPECT_EQ(failsWith(folder / "secret", folder / "locked" / "new", folder / "uae",
                        kCannotReadFile, folder / "secret"),
              0);
    EXPECT_EQ(failsWith(folder / "plain", folder / "locked" / "new", folder / "uae",
                        kCannotWriteFile, folder / "locked" / "new"),
              0);
    EXPECT_EQ(failsWith(folder / "plain", folder / "locked" / "old", folder / "uae",
                        kCannotWriteFile, folder / "locked" / "old"),
              0);
    EXPECT_EQ(ReadBytes(folder / "locked" / "old"), existing);
    fs::permissions(folder / "locked", fs::perms::owner_all);
    EXPECT_EQ(fs::directory_iterator(folder / "locked")->path().filename(), "old");
}

TEST_F(ProcessFaultTest, UnreadableKeyFileFailsWithTheReadMessage) {
    WriteBytes(folder / "secret-key", PatternBytes(5000, 5));
    fs::permissions(folder / "secret-key", fs::perms::none);
    fs::create_directory(folder / "out");
    fs::permissions(folder / "out", fs::perms::all);
    const int status = InChild([&] {
        if (!DropRights()) return 2;
        RecordingObserver observer;
        const RunResult result =
            CipherRun({Direction::Encrypt, folder / "plain", folder / "out" / "new", "fault test",
                       folder / "secret-key"},
                      observer);
        const bool ok = result.outcome == RunOutcome::Failed &&
                        result.failedFile == folder / "secret-key" &&
                        result.message.rfind(kCannotReadFile, 0) == 0;
        return ok ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::is_empty(folder / "out"));
}

TEST_F(ProcessFaultTest, FullDiskGivesTheWriteMessageAndLeavesNothing) {
    const fs::path small = folder / "small";
    fs::create_directory(small);
    const std::string mount =
        "mount -t tmpfs -o size=1m korvel-test " + small.string() + " 2>/dev/null";
    if (geteuid() != 0 || std::system(mount.c_str()) != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    WriteBytes(small / "old", existing);
    RecordingObserver observer;
    const RunResult result = EncryptInto(small / "old", observer);
    const auto left = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(small))
            names.push_back(entry.path().filename());
        return names;
    }();
    const Bytes kept = ReadBytes(small / "old");
    std::system(("umount " + small.string()).c_str());

    EXPECT_EQ(result.outcome, RunOutcome::Failed);
    EXPECT_EQ(result.failedFile, small / "old");
    EXPECT_EQ(result.reason, SystemReason(ENOSPC));
    EXPECT_EQ(kept, existing);
    EXPECT_EQ(left, std::vector<std::string>{"old"});
}

}  // namespace
}  // namespace korvel::test

#endif
