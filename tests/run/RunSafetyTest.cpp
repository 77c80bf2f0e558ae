#include <gtest/gtest.h>

#include "files/FileError.h"
#include "run/CipherRun.h"
#include "run/RunMessages.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;
constexpr const char* kPassword = "12345678";

class RunSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(folder / "uae", PatternBytes(130000, 1));
        WriteBytes(folder / "plain", plain);
        WriteBytes(folder / "old", existing);
        before = folder.Listing();
    }

    RunResult Run(Direction direction, const fs::path& source, const fs::path& target,
                  const fs::path& key) {
        return CipherRun({direction, source, target, kPassword, key}, observer);
    }
    RunResult Encrypt(const fs::path& source, const fs::path& target) {
        return Run(Direction::Encrypt, source, target, folder / "uae");
    }

    // A refused run shows exactly one information box and changes no file.
    void ExpectRefusedWith(const RunResult& result, const std::string& message) {
        EXPECT_EQ(result.outcome, RunOutcome::Refused);
        EXPECT_EQ(observer.events, (std::vector<std::string>{"notice:" + message}));
        EXPECT_EQ(folder.Listing(), before);
        EXPECT_EQ(ReadBytes(folder / "plain"), plain);
        EXPECT_EQ(ReadBytes(folder / "old"), existing);
        observer = {};
    }

    TempFolder folder;
    RecordingObserver observer;
    const Bytes plain = PatternBytes(3 << 20, 2);
    const Bytes existing = PatternBytes(1234, 3);
    std::vector<std::string> before;
};

TEST_F(RunSafetyTest, PathChecksComeFirstWithTheMessagesOfEachDirection) {
    const fs::path key = folder / "uae";
    ExpectRefusedWith(Run(Direction::Encrypt, "", "", key), "请输入源文件路径和文件名");
    ExpectRefusedWith(Run(Direction::Decrypt, "", folder / "x", key), "请输入密文件路径和文件名");
    ExpectRefusedWith(Run(Direction::Encrypt, folder / "plain", "", key), "请输入密文路径和文件名");
    ExpectRefusedWith(Run(Direction::Decrypt, folder / "plain", "", key),
                      "请输入欲生成的明文存放路径和文件名");
    ExpectRefusedWith(Run(Direction::Encrypt, folder / "plain", folder / "plain", key),
                      "密文和源文件同名时不能位于同一路径");
    ExpectRefusedWith(Run(Direction::Decrypt, folder / "old", folder / "old", key),
                      "明文和密文同名时不能位于同一路径");
}

TEST_F(RunSafetyTest, MissingSourceOrKeyFileIsRefusedAndNothingIsCreated) {
    ExpectRefusedWith(Encrypt(folder / "absent", folder / "new"), "源文件不存在");
    ExpectRefusedWith(Run(Direction::Decrypt, folder / "absent", folder / "new", folder / "uae"),
                      "密文件不存在");
    ExpectRefusedWith(Run(Direction::Encrypt, folder / "plain", folder / "new", folder / "no-key"),
                      kMissingKeyFile);
}

TEST_F(RunSafetyTest, OneFileUnderTwoTextsIsRefused) {
    fs::create_directory(folder / "sub");
    fs::create_hard_link(folder / "plain", folder / "sub" / "hard");
    before = folder.Listing();
    const std::string same = "密文和源文件同名时不能位于同一路径";
    ExpectRefusedWith(Encrypt(folder / "plain", folder / "sub" / ".." / "plain"), same);
    ExpectRefusedWith(Encrypt(folder / "plain", folder / "." / "plain"), same);
    ExpectRefusedWith(Encrypt(folder / "sub" / "hard", folder / "plain"), same);
    EXPECT_EQ(ReadBytes(folder / "sub" / "hard"), plain);
#ifdef _WIN32
    // Letter case does not tell files apart here.
    ExpectRefusedWith(Encrypt(folder / "plain", folder / "PLAIN"), same);
#endif
}

#ifndef _WIN32
TEST_F(RunSafetyTest, LinksToTheSourceOrTheKeyFileAreRefused) {
    fs::create_symlink(folder / "plain", folder / "plain-link");
    fs::create_symlink(folder / "uae", folder / "key-link");
    before = folder.Listing();
    ExpectRefusedWith(Encrypt(folder / "plain", folder / "plain-link"),
                      "密文和源文件同名时不能位于同一路径");
    ExpectRefusedWith(Encrypt(folder / "plain", folder / "key-link"), kTargetIsKeyFile);
}
#endif

TEST_F(RunSafetyTest, TheKeyFileIsNeverATarget) {
    const Bytes key = ReadBytes(folder / "uae");
    ExpectRefusedWith(Encrypt(folder / "plain", folder / "uae"), kTargetIsKeyFile);
    ExpectRefusedWith(Encrypt(folder / "plain", folder / "." / "uae"), kTargetIsKeyFile);
    EXPECT_EQ(ReadBytes(folder / "uae"), key);
}

TEST_F(RunSafetyTest, PathsLongerThan260CharactersWork) {
    fs::path deep = folder.Path();
    for (int i = 0; i < 6; ++i) deep /= std::string(50, static_cast<char>('a' + i));
    fs::create_directories(deep);
    const fs::path target = deep / "cipher.bin";
    ASSERT_GT(target.native().size(), 260u);
    ASSERT_EQ(Encrypt(folder / "plain", target).outcome, RunOutcome::Completed);
    ASSERT_EQ(Run(Direction::Decrypt, target, deep / "back", folder / "uae").outcome,
              RunOutcome::Completed);
    EXPECT_EQ(ReadBytes(deep / "back"), plain);
}

TEST_F(RunSafetyTest, PasswordOutsideTheRulesIsRefused) {
    const RunResult shortPassword = CipherRun(
        {Direction::Encrypt, folder / "plain", folder / "new", "abcd", folder / "uae"}, observer);
    ExpectRefusedWith(shortPassword, kPasswordLength);
    const RunResult tab = CipherRun(
        {Direction::Encrypt, folder / "plain", folder / "new", "abc\tdef", folder / "uae"},
        observer);
    ExpectRefusedWith(tab, kPasswordCharacters);
}

TEST_F(RunSafetyTest, FoldersAsSourceOrTargetFailWithTheSystemsReason) {
    fs::create_directory(folder / "dir");
    before = folder.Listing();
    RunResult result = Encrypt(folder / "dir", folder / "new");
    EXPECT_EQ(result.outcome, RunOutcome::Failed);
    EXPECT_EQ(result.failedFile, folder / "dir");
    EXPECT_FALSE(result.reason.empty());
    ASSERT_EQ(observer.events.size(), 1u);
    EXPECT_EQ(observer.events[0], "warning:" + std::string(kCannotReadFile) +
                                      PathText(folder / "dir") + "\n" + result.reason);
    EXPECT_EQ(folder.Listing(), before);

    observer = {};
    result = Encrypt(folder / "plain", folder / "dir");
    EXPECT_EQ(result.outcome, RunOutcome::Failed);
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"enter", "leave-restore:completed", "leave-hide:completed",
                                        "warning:" + result.message}));
    EXPECT_EQ(result.message.rfind(kCannotWriteFile, 0), 0u);
    EXPECT_EQ(folder.Listing(), before);
}

TEST_F(RunSafetyTest, MissingTargetFolderFailsAndCreatesNothing) {
    const RunResult result = Encrypt(folder / "plain", folder / "nowhere" / "new");
    EXPECT_EQ(result.outcome, RunOutcome::Failed);
    EXPECT_EQ(result.failedFile, folder / "nowhere" / "new");
    EXPECT_EQ(folder.Listing(), before);
}

// Cut at the first progress update, the run's reading is still ahead of it; at the last, every
// block has been read and only the end of the run can tell.
TEST_F(RunSafetyTest, SourceCutShortDuringTheRunKeepsTheExistingTarget) {
    const int lastUpdate = static_cast<int>((plain.size() - 2) / 1000);
    for (const int cutAt : {1, lastUpdate}) {
        SCOPED_TRACE(cutAt);
        WriteBytes(folder / "plain", plain);
        observer = {};
        observer.onPump = [this, cutAt](int pump) {
            if (pump == cutAt) fs::resize_file(folder / "plain", 100);
            return true;
        };
        const RunResult result = Encrypt(folder / "plain", folder / "old");
        EXPECT_EQ(result.outcome, RunOutcome::Failed);
        EXPECT_EQ(result.failedFile, folder / "plain");
        EXPECT_EQ(result.reason, kSourceChanged);
        EXPECT_EQ(ReadBytes(folder / "old"), existing);
        EXPECT_EQ(folder.Listing(), before);
        const std::vector<std::string> tail(observer.events.end() - 3, observer.events.end());
        EXPECT_EQ(tail, (std::vector<std::string>{"leave-restore:completed", "leave-hide:completed",
                                                  "warning:" + result.message}));
    }
}

#ifndef _WIN32
// Windows does not remove a folder that holds an open file.
TEST_F(RunSafetyTest, TargetFolderRemovedDuringTheRunIsAWriteFailure) {
    fs::create_directory(folder / "out");
    observer.onPump = [this](int pump) {
        if (pump == 1) fs::remove_all(folder / "out");
        return true;
    };
    const RunResult result = Encrypt(folder / "plain", folder / "out" / "new");
    EXPECT_EQ(result.outcome, RunOutcome::Failed);
    EXPECT_EQ(result.failedFile, folder / "out" / "new");
    EXPECT_EQ(observer.events.back().rfind("warning:" + std::string(kCannotWriteFile), 0), 0u);
    EXPECT_EQ(std::count(observer.events.begin(), observer.events.end(), "notice:密文已经生成"), 0);
    EXPECT_EQ(folder.Listing(), before);
}
#endif

}  // namespace
}  // namespace korvel::test
