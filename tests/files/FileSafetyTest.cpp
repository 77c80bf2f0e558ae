// What runs do to the files around them: which kinds of file they read and replace, who can see
// the temporary file, what access the result gets, and what a terminating signal leaves behind.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <random>
#include <thread>

#include "files/FileError.h"
#include "files/LeftoverNames.h"
#include "files/TemporaryTarget.h"
#include "run/CipherRun.h"
#include "run/RunMessages.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;
constexpr uid_t kNobody = 65534;

class FileSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(folder / "uae", PatternBytes(70000, 1));
        WriteBytes(folder / "plain", plain);
        WriteBytes(folder / "old", existing);
    }
    void TearDown() override { TemporaryTarget::PreferUnnamedFiles(true); }

    RunResult Run(Direction direction, const fs::path& source, const fs::path& target,
                  RecordingObserver& observer, const fs::path& key) {
        return CipherRun({direction, source, target, "safe files", key}, observer);
    }
    RunResult Encrypt(const fs::path& source, const fs::path& target, const fs::path& key = {}) {
        RecordingObserver observer;
        return Run(Direction::Encrypt, source, target, observer,
                   key.empty() ? folder / "uae" : key);
    }
    void ExpectHoldsThePlainText(const fs::path& cipher) {
        RecordingObserver observer;
        ASSERT_EQ(
            Run(Direction::Decrypt, cipher, folder / "back", observer, folder / "uae").outcome,
            RunOutcome::Completed);
        EXPECT_EQ(ReadBytes(folder / "back"), plain);
        fs::remove(folder / "back");
    }
    static std::string Message(const char* lead, const fs::path& file, const std::string& reason) {
        return lead + file.string() + "\n" + reason;
    }

    // Starts an encryption of plain over old in a child and returns once the child is in the
    // middle of it, waiting to be ended.
    pid_t ChildInTheMiddleOfARun(bool unnamed) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            TemporaryTarget::PreferUnnamedFiles(unnamed);
            RecordingObserver observer;
            observer.onPump = [&](int pump) {
                if (pump == 50 && write(ready[1], "x", 1) == 1) pause();
                return true;
            };
            Run(Direction::Encrypt, folder / "plain", folder / "old", observer, folder / "uae");
            _exit(0);
        }
        char byte = 0;
        EXPECT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        close(ready[1]);
        return child;
    }

    TempFolder folder;
    const Bytes plain = PatternBytes(400000, 2);  // long enough for a progress run
    const Bytes existing = PatternBytes(777, 3);
    const std::vector<std::string> untouched{"old", "plain", "uae"};
};

TEST_F(FileSafetyTest, LinkedTargetsAreWrittenThroughTheLinkWhichStaysALink) {
    fs::create_symlink("old", folder / "link");
    fs::create_symlink(folder / "future", folder / "dangling");
    for (const char* link : {"link", "dangling"}) {
        SCOPED_TRACE(link);
        ASSERT_EQ(Encrypt(folder / "plain", folder / link).outcome, RunOutcome::Completed);
        EXPECT_TRUE(fs::is_symlink(folder / link));
        ExpectHoldsThePlainText(folder / link);
    }
    ExpectHoldsThePlainText(folder / "old");
    EXPECT_EQ(folder.Listing(),
              (std::vector<std::string>{"dangling", "future", "link", "old", "plain", "uae"}));
}

// A hard-linked target is replaced by a new file: its other names keep the old content.
TEST_F(FileSafetyTest, HardLinkedTargetIsReplacedAndItsOtherNameKeepsTheOldContent) {
    fs::create_hard_link(folder / "old", folder / "other");
    ASSERT_EQ(Encrypt(folder / "plain", folder / "old").outcome, RunOutcome::Completed);
    ExpectHoldsThePlainText(folder / "old");
    EXPECT_EQ(ReadBytes(folder / "other"), existing);
}

TEST_F(FileSafetyTest, TargetsThatAreNotRegularFilesAreRefusedAndKept) {
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, (folder / "socket").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::vector<std::string> nodes{"fifo", "socket"};
    // A device node of our own, where the system lets us make one; never a real /dev entry.
    if (mknod((folder / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        nodes.push_back("null");
    const auto before = folder.Listing();
    for (const std::string& node : nodes) {
        SCOPED_TRACE(node);
        struct stat was {};
        ASSERT_EQ(lstat((folder / node).c_str(), &was), 0);
        const RunResult result = Encrypt(folder / "plain", folder / node);
        EXPECT_EQ(result.outcome, RunOutcome::Failed);
        EXPECT_EQ(result.message, Message(kCannotWriteFile, folder / node, kNotRegularFile));
        struct stat now {};
        ASSERT_EQ(lstat((folder / node).c_str(), &now), 0);
        EXPECT_EQ(now.st_mode & S_IFMT, was.st_mode & S_IFMT);
        EXPECT_EQ(now.st_ino, was.st_ino);
    }
    close(listener);
    EXPECT_EQ(folder.Listing(), before);
}

TEST_F(FileSafetyTest, WriteProtectedTargetIsRefusedForAnOrdinaryUserAndReplacedByTheSuperuser) {
    fs::permissions(folder.Path(), fs::perms::all);
    fs::permissions(folder / "old",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (geteuid() == 0) {
        ASSERT_EQ(chown((folder / "old").c_str(), kNobody, kNobody), 0);
    }
    const int status = InChild([&] {
        if (!DropRights()) return 2;
        const RunResult result = Encrypt(folder / "plain", folder / "old");
        return result.message == Message(kCannotWriteFile, folder / "old", SystemReason(EACCES))
                   ? 0
                   : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(folder / "old"), existing);
    EXPECT_EQ(folder.Listing(), untouched);
    if (geteuid() != 0) return;
    ASSERT_EQ(Encrypt(folder / "plain", folder / "old").outcome, RunOutcome::Completed);
    ExpectHoldsThePlainText(folder / "old");
}

// Each run happens in a child that the test ends if it does not finish at once.
TEST_F(FileSafetyTest, SourcesAndKeyFilesThatAreNotRegularFilesFailAtOnce) {
    ASSERT_EQ(mkfifo((folder / "silent").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((folder / "talking").c_str(), 0600), 0);
    const int writer = open((folder / "talking").c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "data", 4), 4);
    struct Case {
        fs::path source, key, failing;
    };
    const Case cases[] = {
        {folder / "silent", folder / "uae", folder / "silent"},
        {folder / "talking", folder / "uae", folder / "talking"},
        {"/dev/zero", folder / "uae", "/dev/zero"},
        {folder / "plain", folder / "silent", folder / "silent"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.failing);
        const int status = InChild([&] {
            alarm(2);
            const RunResult result = Encrypt(row.source, folder / "new", row.key);
            return result.message == Message(kCannotReadFile, row.failing, kNotRegularFile) ? 0 : 1;
        });
        EXPECT_EQ(status, 0);
    }
    close(writer);
    EXPECT_EQ(folder.Listing(),
              (std::vector<std::string>{"old", "plain", "silent", "talking", "uae"}));
}

TEST_F(FileSafetyTest, SourceWithMoreContentThanItsLengthFailsAndKeepsTheTarget) {
    const fs::path proc = "/proc/self/status";  // length 0, content not
    for (const auto& [source, growAtPump] : {std::pair{proc, 0}, std::pair{folder / "plain", 5}}) {
        SCOPED_TRACE(source);
        RecordingObserver observer;
        observer.onPump = [&, source = source, growAtPump = growAtPump](int pump) {
            if (pump == growAtPump) WriteBytes(source, PatternBytes(plain.size() + 10, 9));
            return true;
        };
        const RunResult result =
            Run(Direction::Encrypt, source, folder / "old", observer, folder / "uae");
        EXPECT_EQ(result.message, Message(kCannotReadFile, source, kSourceChanged));
        EXPECT_EQ(ReadBytes(folder / "old"), existing);
        EXPECT_EQ(folder.Listing(), untouched);
    }
}

TEST_F(FileSafetyTest, TheResultTakesTheAccessOfWhatItReplacesOrElseOfItsSource) {
    const mode_t savedMask = umask(022);
    struct Case {
        fs::perms source;
        std::optional<mode_t> target;  // an existing target's mode
        mode_t expected;
    };
    const Case cases[] = {
        {fs::perms::owner_read | fs::perms::owner_write, std::nullopt, 0600},
        {fs::perms(0644), std::nullopt, 0644},
        {fs::perms(0666), std::nullopt, 0644},  // the umask takes its share
        {fs::perms(0600), 0640, 0640},
        {fs::perms(0600), 04755, 0755},  // never a set-id result
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.expected);
        fs::permissions(folder / "plain", row.source);
        fs::remove(folder / "out");
        if (row.target) {
            WriteBytes(folder / "out", existing);
            ASSERT_EQ(chmod((folder / "out").c_str(), *row.target), 0);
        }
        ASSERT_EQ(Encrypt(folder / "plain", folder / "out").outcome, RunOutcome::Completed);
        EXPECT_EQ(fs::status(folder / "out").permissions(), fs::perms(row.expected));
    }
    umask(savedMask);
}

TEST_F(FileSafetyTest, SuperuserReplacingAnotherUsersFileKeepsItThatUsers) {
    if (geteuid() != 0) GTEST_SKIP() << "needs the superuser";
    ASSERT_EQ(chown((folder / "old").c_str(), kNobody, kNobody), 0);
    fs::permissions(folder / "old", fs::perms(0600));
    ASSERT_EQ(Encrypt(folder / "plain", folder / "old").outcome, RunOutcome::Completed);
    struct stat now {};
    ASSERT_EQ(stat((folder / "old").c_str(), &now), 0);
    EXPECT_EQ(now.st_uid, kNobody);
    EXPECT_EQ(now.st_gid, kNobody);
    EXPECT_EQ(now.st_mode & 07777, 0600u);
}

// Looked at from another process, through the running process's open files.
TEST_F(FileSafetyTest, TheTemporaryFileIsPrivateFromItsFirstByte) {
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named");
        const pid_t child = ChildInTheMiddleOfARun(unnamed);
        std::vector<mode_t> modes;
        const fs::path open = "/proc/" + std::to_string(child) + "/fd";
        for (const auto& entry : fs::directory_iterator(open)) {
            std::error_code error;
            const fs::path file = fs::read_symlink(entry.path(), error);
            const bool temporary = file.parent_path() == folder.Path() &&
                                   file.filename() != "plain" && file.filename() != "uae";
            struct stat status {};
            if (temporary && stat(entry.path().c_str(), &status) == 0) {
                modes.push_back(status.st_mode & 07777);
            }
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        EXPECT_EQ(modes, std::vector<mode_t>{0600});
        for (const auto& name : folder.Listing()) {
            if (name.find(LeftoverNames::kNameMark) != std::string::npos) fs::remove(folder / name);
        }
    }
}

TEST_F(FileSafetyTest, TerminatingSignalsRemoveTheNamedTemporaryFile) {
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signalNumber));
        const pid_t child = ChildInTheMiddleOfARun(false);
        EXPECT_EQ(folder.Listing().size(), untouched.size() + 1);  // the named file is there
        kill(child, signalNumber);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber);
        EXPECT_EQ(folder.Listing(), untouched);
        EXPECT_EQ(ReadBytes(folder / "old"), existing);
    }
}

TEST_F(FileSafetyTest, TargetNamesNearTheFileSystemsLimitEncryptAndDecrypt) {
    const std::string longest(250, 'n');
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named");
        TemporaryTarget::PreferUnnamedFiles(unnamed);
        WriteBytes(folder / longest, existing);
        ASSERT_EQ(Encrypt(folder / "plain", folder / longest).outcome, RunOutcome::Completed);
        ExpectHoldsThePlainText(folder / longest);
        fs::remove(folder / longest);
    }
    EXPECT_EQ(folder.Listing(), untouched);
}

// A signal sent to the process lands on whichever thread does not hold it back, here the main
// thread, while another thread makes and removes temporary files as fast as it can. Wherever
// it lands in that work, no named file may stay.
TEST_F(FileSafetyTest, SignalLandingOnAnotherThreadWhileAFileIsMadeLeavesNoFile) {
    std::mt19937 delays(7);
    for (int trial = 0; trial < 200; ++trial) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            TemporaryTarget::PreferUnnamedFiles(false);
            std::thread worker([&] {
                for (bool first = true;; first = false) {
                    { TemporaryTarget made(folder / "old", 0600); }
                    if (first && write(ready[1], "x", 1) != 1) _exit(1);
                }
            });
            worker.detach();
            for (;;) pause();
        }
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        close(ready[1]);
        usleep(delays() % 500);
        kill(child, SIGTERM);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
        ASSERT_EQ(folder.Listing(), untouched) << "trial " << trial;
    }
}

// Where the file system has no unnamed files, SIGKILL leaves a named file. The next run to the
// target removes it, but never one that a live run holds locked.
TEST_F(FileSafetyTest, NextRunSweepsTheLeftoverOfAKilledRunButNotAFileALiveRunHolds) {
    TemporaryTarget::PreferUnnamedFiles(false);
    const pid_t killed = ChildInTheMiddleOfARun(false);
    kill(killed, SIGKILL);
    waitpid(killed, nullptr, 0);
    std::vector<std::string> leftovers;
    for (const auto& name : folder.Listing()) {
        if (name.rfind("old.korvel-", 0) == 0) leftovers.push_back(name);
    }
    ASSERT_EQ(leftovers.size(), 1u);

    const std::string held = "old.korvel-abcdef.part";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int file = open((folder / held).c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
        if (file >= 0 && flock(file, LOCK_EX) == 0 && write(ready[1], "x", 1) == 1) pause();
        _exit(1);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);

    ASSERT_EQ(Encrypt(folder / "plain", folder / "old").outcome, RunOutcome::Completed);
    ExpectHoldsThePlainText(folder / "old");
    EXPECT_FALSE(fs::exists(folder / leftovers[0]));
    EXPECT_TRUE(fs::exists(folder / held));

    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    ASSERT_EQ(Encrypt(folder / "plain", folder / "old").outcome, RunOutcome::Completed);
    EXPECT_EQ(folder.Listing(), untouched);
}

}  // namespace
}  // namespace korvel::test

#endif
