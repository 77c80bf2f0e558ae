#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "run/BlockBuffer.h"
#include "run/CipherRun.h"
#include "run/RunMessages.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

constexpr const char* kPassword = "Secret pass~1";

class CipherRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        key = PatternBytes(200000, 99);
        WriteBytes(folder / "uae", key);
    }

    RunResult RunOn(Direction direction, const std::filesystem::path& source,
                    const std::filesystem::path& target, const std::string& password = kPassword) {
        RunResult result =
            CipherRun({direction, source, target, password, folder / "uae", flags}, observer);
        lastFlags = std::exchange(flags, std::make_shared<RunFlags>());  // a request's, one run's
        return result;
    }

    RunResult Encrypt(const Bytes& plain, const std::string& password = kPassword) {
        WriteBytes(folder / "plain", plain);
        return RunOn(Direction::Encrypt, folder / "plain", folder / "cipher", password);
    }

    std::size_t Count(const std::string& event) const {
        return static_cast<std::size_t>(
            std::count(observer.events.begin(), observer.events.end(), event));
    }

    TempFolder folder;
    Bytes key;
    RecordingObserver observer;
    std::shared_ptr<RunFlags> flags = std::make_shared<RunFlags>();
    std::shared_ptr<RunFlags> lastFlags;
};

TEST_F(CipherRunTest, RoundTripsAtBoundarySizes) {
    constexpr std::size_t kBlock = BlockBuffer::kRunBlockSize;
    for (std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{10}, std::size_t{11}, std::size_t{1000},
          std::size_t{1001}, std::size_t{204800}, std::size_t{204801}, kBlock - 11, kBlock - 10,
          kBlock - 1, kBlock, kBlock + 1, kBlock + 10, 2 * kBlock + 1, std::size_t{3} << 20}) {
        SCOPED_TRACE(size);
        const Bytes plain = PatternBytes(size, static_cast<std::uint32_t>(size));
        ASSERT_EQ(Encrypt(plain).outcome, RunOutcome::Completed);
        const Bytes cipher = ReadBytes(folder / "cipher");
        ASSERT_EQ(cipher.size(), size + 10);
        EXPECT_EQ(Bytes(cipher.begin() + 10, cipher.end()),
                  ReferenceTransform(plain, kPassword, key));

        ASSERT_EQ(RunOn(Direction::Decrypt, folder / "cipher", folder / "back").outcome,
                  RunOutcome::Completed);
        EXPECT_EQ(ReadBytes(folder / "back"), plain);
    }
}

TEST_F(CipherRunTest, CompletionMessagesPerDirection) {
    Encrypt(PatternBytes(100, 1));
    RunOn(Direction::Decrypt, folder / "cipher", folder / "back");
    EXPECT_EQ(observer.events, (std::vector<std::string>{"notice:密文已经生成",
                                                         "notice:密文已经解密，明文已经生成"}));
}

TEST_F(CipherRunTest, TwoEncryptionsDifferOnlyInTheHeader) {
    const Bytes plain = PatternBytes(5000, 5);
    Encrypt(plain);
    const Bytes first = ReadBytes(folder / "cipher");
    Encrypt(plain);
    const Bytes second = ReadBytes(folder / "cipher");
    EXPECT_TRUE(std::equal(first.begin() + 10, first.end(), second.begin() + 10));
    EXPECT_NE(Bytes(first.begin(), first.begin() + 10), Bytes(second.begin(), second.begin() + 10));
}

TEST_F(CipherRunTest, DecryptionIgnoresTheHeaderAndShortCiphertextsGiveEmptyFiles) {
    Bytes cipher = PatternBytes(10, 8);
    const Bytes plain = PatternBytes(50, 9);
    const Bytes data = ReferenceTransform(plain, kPassword, key);
    cipher.insert(cipher.end(), data.begin(), data.end());
    WriteBytes(folder / "cipher", cipher);
    ASSERT_EQ(RunOn(Direction::Decrypt, folder / "cipher", folder / "back").outcome,
              RunOutcome::Completed);
    EXPECT_EQ(ReadBytes(folder / "back"), plain);

    for (std::size_t size : {0u, 5u, 10u}) {
        WriteBytes(folder / "short", PatternBytes(size, 1));
        ASSERT_EQ(RunOn(Direction::Decrypt, folder / "short", folder / "empty").outcome,
                  RunOutcome::Completed);
        EXPECT_TRUE(ReadBytes(folder / "empty").empty());
    }
}

TEST_F(CipherRunTest, WrongPasswordGivesWrongBytesOfTheRightLengthWithoutError) {
    const Bytes plain = PatternBytes(3000, 2);
    Encrypt(plain);
    ASSERT_EQ(
        RunOn(Direction::Decrypt, folder / "cipher", folder / "back", "Secret pass~2").outcome,
        RunOutcome::Completed);
    const Bytes back = ReadBytes(folder / "back");
    EXPECT_EQ(back.size(), plain.size());
    EXPECT_NE(back, plain);
}

TEST_F(CipherRunTest, ExistingLongerTargetIsReplacedExactly) {
    WriteBytes(folder / "cipher", PatternBytes(100000, 3));
    const Bytes plain = PatternBytes(20, 4);
    ASSERT_EQ(Encrypt(plain).outcome, RunOutcome::Completed);
    EXPECT_EQ(ReadBytes(folder / "cipher").size(), 30u);
    EXPECT_EQ(folder.Listing(), (std::vector<std::string>{"cipher", "plain", "uae"}));
}

#ifndef _WIN32  // Windows has no owner and group rights to keep
TEST_F(CipherRunTest, ReplacedTargetKeepsItsAccessRights) {
    namespace fs = std::filesystem;
    WriteBytes(folder / "cipher", PatternBytes(10, 3));
    fs::permissions(folder / "cipher", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(Encrypt(PatternBytes(20, 4)).outcome, RunOutcome::Completed);
    EXPECT_EQ(fs::status(folder / "cipher").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}
#endif

TEST_F(CipherRunTest, EmptyAndShortKeyFilesRoundTrip) {
    for (std::size_t keyLength : {0u, 1u, 500u}) {
        key = PatternBytes(keyLength, 6);
        WriteBytes(folder / "uae", key);
        const Bytes plain = PatternBytes(4000, 7);
        ASSERT_EQ(Encrypt(plain).outcome, RunOutcome::Completed);
        const Bytes cipher = ReadBytes(folder / "cipher");
        EXPECT_EQ(Bytes(cipher.begin() + 10, cipher.end()),
                  ReferenceTransform(plain, kPassword, key));
        RunOn(Direction::Decrypt, folder / "cipher", folder / "back");
        EXPECT_EQ(ReadBytes(folder / "back"), plain);
    }
}

TEST_F(CipherRunTest, ChineseJapaneseKoreanCyrillicAndEmojiNamesWork) {
    const std::filesystem::path sub = folder / std::filesystem::path(u8"文件夹 Папка");
    std::filesystem::create_directory(sub);
    const std::filesystem::path source = sub / std::filesystem::path(u8"明文 😀.txt");
    const std::filesystem::path target = sub / std::filesystem::path(u8"暗号 암호문.bin");
    const Bytes plain = PatternBytes(300000, 12);
    WriteBytes(source, plain);
    ASSERT_EQ(RunOn(Direction::Encrypt, source, target).outcome, RunOutcome::Completed);
    const std::filesystem::path back = sub / std::filesystem::path(u8"还原 復元 복원.txt");
    ASSERT_EQ(RunOn(Direction::Decrypt, target, back).outcome, RunOutcome::Completed);
    EXPECT_EQ(ReadBytes(back), plain);
}

// Progress cadence: updates after data bytes 1001, 2001, ...; none after the last byte.
TEST_F(CipherRunTest, SourceOfExactly204800BytesRunsQuietly) {
    Encrypt(PatternBytes(204800, 1));
    EXPECT_EQ(observer.events, (std::vector<std::string>{"notice:密文已经生成"}));
}

TEST_F(CipherRunTest, EncryptionProgressFor204801Bytes) {
    Encrypt(PatternBytes(204801, 1));
    ASSERT_EQ(observer.percents.size(), 204u);
    EXPECT_EQ(observer.percents.front(), 0);
    EXPECT_EQ(observer.percents[1], 1);  // 2002 / 204801 = 0.98 %
    EXPECT_EQ(observer.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(observer.percents.begin(), observer.percents.end()));
    EXPECT_EQ(observer.events.front(), "enter");
    const std::vector<std::string> tail(observer.events.end() - 4, observer.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"pump", "notice:密文已经生成",
                                              "leave-restore:completed", "leave-hide:completed"}));
    EXPECT_EQ(Count("pump"), 204u);
}

TEST_F(CipherRunTest, DecryptionProgressCountsOnTheCiphertextLength) {
    WriteBytes(folder / "cipher", PatternBytes(204811, 1));
    RunOn(Direction::Decrypt, folder / "cipher", folder / "back");
    ASSERT_EQ(observer.percents.size(), 204u);  // 204801 data bytes
    EXPECT_EQ(observer.percents.front(), 0);    // 1012 / 204811
    EXPECT_EQ(observer.percents.back(), 100);   // 204012 / 204811 = 99.6 %
}

// Updates follow data bytes 1001, 2001, ... whatever the blocks the run reads: the same sequence,
// percent for percent, as counting byte by byte gives.
TEST_F(CipherRunTest, ProgressSequenceDoesNotDependOnTheBlocks) {
    constexpr std::size_t kBlock = BlockBuffer::kRunBlockSize;
    for (const Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
        for (const std::size_t dataCount : {2 * kBlock, 2 * kBlock + 1, 5 * kBlock + 999}) {
            SCOPED_TRACE(std::to_string(dataCount) +
                         (direction == Direction::Encrypt ? " encrypt" : " decrypt"));
            const std::uint64_t header = direction == Direction::Encrypt ? 0 : 10;
            WriteBytes(folder / "source", PatternBytes(dataCount + header, 3));
            observer.events.clear();
            observer.percents.clear();
            RunOn(direction, folder / "source", folder / "target");

            std::vector<int> expected;
            const double length = static_cast<double>(dataCount + header);
            for (std::uint64_t byte = 1001; byte < dataCount; byte += 1000) {
                const double position = static_cast<double>(header + 1 + byte);
                expected.push_back(static_cast<int>(std::nearbyint(position / length * 100.0)));
            }
            EXPECT_EQ(observer.percents, expected);
            EXPECT_EQ(Count("pump"), expected.size());
        }
    }
}

TEST_F(CipherRunTest, NoUpdateAfterTheLastByte) {
    // The last of 205001 data bytes would otherwise fall on an update.
    Encrypt(PatternBytes(205001, 1));
    EXPECT_EQ(observer.percents.size(), 204u);
}

TEST_F(CipherRunTest, ExactHalfPercentsRoundToEven) {
    // After data byte 15001 of 230800 the next position is 15002: 6.5 % shows as 6, not 7.
    Encrypt(PatternBytes(230800, 2));
    ASSERT_GT(observer.percents.size(), 15u);
    EXPECT_EQ(observer.percents[14], 6);
}

TEST_F(CipherRunTest, AnsweringNoGoesOnAndAsksOnlyAfterAnotherClick) {
    observer.onPump = [this](int pump) {
        if (pump == 3 || pump == 10) flags->RequestCancel();
    };
    observer.answers = {CancelAnswer::No, CancelAnswer::No};
    const Bytes plain = PatternBytes(300000, 3);
    ASSERT_EQ(Encrypt(plain).outcome, RunOutcome::Completed);
    EXPECT_EQ(Count("ask:取消加密:确认取消加密"), 2u);
    EXPECT_FALSE(lastFlags->CancelRequested());
    const Bytes cipher = ReadBytes(folder / "cipher");
    EXPECT_EQ(Bytes(cipher.begin() + 10, cipher.end()), ReferenceTransform(plain, kPassword, key));
}

TEST_F(CipherRunTest, AnsweringYesRemovesTheTargetAndKeepsAnExistingOne) {
    const Bytes existing = PatternBytes(777, 4);
    WriteBytes(folder / "cipher", existing);
    observer.onPump = [this](int pump) {
        if (pump == 50) flags->RequestCancel();
    };
    observer.answers = {CancelAnswer::Yes};
    EXPECT_EQ(Encrypt(PatternBytes(300000, 5)).outcome, RunOutcome::Cancelled);
    EXPECT_EQ(ReadBytes(folder / "cipher"), existing);
    EXPECT_EQ(folder.Listing(), (std::vector<std::string>{"cipher", "plain", "uae"}));
    const std::vector<std::string> tail(observer.events.end() - 3, observer.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"ask:取消加密:确认取消加密",
                                              "leave-restore:cancelled", "leave-hide:cancelled"}));
    EXPECT_EQ(observer.percents.size(), 51u);
}

TEST_F(CipherRunTest, CancelQuestionOfTheDecryption) {
    WriteBytes(folder / "cipher", PatternBytes(300000, 3));
    flags->RequestCancel();  // left over from before the run: entering progress clears it
    observer.onPump = [this](int pump) {
        if (pump == 1) flags->RequestCancel();
    };
    observer.answers = {CancelAnswer::Yes};
    EXPECT_EQ(RunOn(Direction::Decrypt, folder / "cipher", folder / "back").outcome,
              RunOutcome::Cancelled);
    EXPECT_EQ(observer.percents.size(), 2u);
    EXPECT_EQ(Count("ask:取消解密:确认取消解密"), 1u);
    EXPECT_FALSE(std::filesystem::exists(folder / "back"));
}

TEST_F(CipherRunTest, ClickInTheLastThousandBytesStillCompletes) {
    observer.onPump = [this](int pump) {
        if (pump == 204) flags->RequestCancel();
    };
    observer.answers = {CancelAnswer::Yes};
    EXPECT_EQ(Encrypt(PatternBytes(204801, 5)).outcome, RunOutcome::Completed);
    EXPECT_EQ(Count("notice:密文已经生成"), 1u);
    EXPECT_TRUE(std::filesystem::exists(folder / "cipher"));
}

TEST_F(CipherRunTest, ProgramEndingDuringARunLeavesNoFileBehind) {
    const Bytes existing = PatternBytes(333, 4);
    WriteBytes(folder / "cipher", existing);
    observer.onPump = [this](int pump) {
        if (pump == 20) flags->RequestStop();
    };
    EXPECT_EQ(Encrypt(PatternBytes(2 << 20, 5)).outcome, RunOutcome::Abandoned);
    EXPECT_EQ(observer.events.back(), "pump");  // nothing is sent after the window went away
    EXPECT_EQ(ReadBytes(folder / "cipher"), existing);
    EXPECT_EQ(folder.Listing(), (std::vector<std::string>{"cipher", "plain", "uae"}));
}

}  // namespace
}  // namespace korvel::test
