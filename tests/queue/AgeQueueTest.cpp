#include <gtest/gtest.h>

#include "cipher/KeyFingerprint.h"
#include "cipher/age/AgeHeader.h"
#include "queue/FileQueue.h"
#include "queue/SourceGathering.h"
#include "run/RunMessages.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

class QuietObserver : public QueueObserver {
public:
    void EntryChanged(std::size_t, const QueueEntry&) override {}
    void BytesDone(std::uint64_t, std::uint64_t) override {}
    DoubtDecision AskAboutDoubtfulResult(const QueueEntry&) override {
        ++doubtQuestions;
        return DoubtDecision::StopHere;
    }
    int doubtQuestions = 0;
};

std::string NameOf(std::size_t file) {
    std::string name = "f";
    name += std::to_string(file);
    return name += ".bin";
}

TEST(AgeSuffixTest, AppendsAndDropsOnlyAFinalAge) {
    const struct {
        const char* target;
        AgeSuffix suffix;
        const char* expected;
    } rows[] = {
        {"out/a.txt", AgeSuffix::Append, "out/a.txt.age"},
        {"out/a.txt.age", AgeSuffix::Append, "out/a.txt.age.age"},
        {"out/a.txt.age", AgeSuffix::Drop, "out/a.txt"},
        {"out/A.TXT.AGE", AgeSuffix::Drop, "out/A.TXT"},
        {"out/a.Age", AgeSuffix::Drop, "out/a"},
        {"out/.age", AgeSuffix::Drop, "out/.age"},
        {"out/a.txt", AgeSuffix::Drop, "out/a.txt"},
        {"out/a.agex", AgeSuffix::Drop, "out/a.agex"},
        {"out/a.age.txt", AgeSuffix::Drop, "out/a.age.txt"},
        {"out/a.txt.age", AgeSuffix::None, "out/a.txt.age"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SourceGathering::TargetName(row.target, row.suffix), fs::path(row.expected))
            << row.target;
    }
}

// The suffix goes on the files' names only, never on the folders mirrored for them.
TEST(AgeSuffixTest, GatheringNamesFilesNotFolders) {
    TempFolder folder;
    fs::create_directories(folder / "in" / "notes.age");
    WriteBytes(folder / "in" / "notes.age" / "a.txt.age", Bytes(3, 1));
    WriteBytes(folder / "single.age", Bytes(3, 1));
    const std::vector<QueueEntry> dropped = SourceGathering::Gather(
        {folder / "in", folder / "single.age"}, folder / "out", AgeSuffix::Drop);
    ASSERT_EQ(dropped.size(), 2u);
    EXPECT_EQ(dropped[0].target, folder / "out" / "in" / "notes.age" / "a.txt");
    EXPECT_EQ(dropped[1].target, folder / "out" / "single");
    const std::vector<QueueEntry> appended =
        SourceGathering::Gather({folder / "in"}, folder / "out", AgeSuffix::Append);
    ASSERT_EQ(appended.size(), 1u);
    EXPECT_EQ(appended[0].target, folder / "out" / "in" / "notes.age" / "a.txt.age.age");
}

// A set encrypted partly in each format is decrypted as one set, each file in its own format,
// under keys derived once from the password and key file; an age file for another recipient
// fails as not opened, counted apart, and the set goes on without a doubt question.
TEST(AgeQueueTest, SetOfBothFormatsDecryptsEachFileInItsOwn) {
    TempFolder folder;
    WriteBytes(folder / "uae", PatternBytes(130000, 1));
    fs::create_directories(folder / "plain");
    const std::vector<std::size_t> sizes = {0, 10, 65536, 300000};
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        WriteBytes(folder / "plain" / NameOf(i),
                   PatternBytes(sizes[i], static_cast<std::uint32_t>(i)));
    }
    const auto keys = std::make_shared<AgeKeys>("Secret 1", folder / "uae");
    const auto settings = [&](Direction direction, CipherFormat format) {
        QueueSettings s{direction, "Secret 1", folder / "uae", ExistingTargets::Refuse, {}};
        s.format = format;
        s.ageKeys = keys;
        s.looksWrong = [](const RunRequest&) { return false; };
        return s;
    };
    QuietObserver observer;
    const std::vector<fs::path> sources = {folder / "plain"};
    FileQueue seed(SourceGathering::Gather(sources, folder / "seed"),
                   settings(Direction::Encrypt, CipherFormat::Seed));
    EXPECT_EQ(seed.Run(observer).done, sizes.size());
    FileQueue aged(SourceGathering::Gather(sources, folder / "aged", AgeSuffix::Append),
                   settings(Direction::Encrypt, CipherFormat::Age));
    EXPECT_EQ(aged.Run(observer).done, sizes.size());

    // Both sets' files in one folder, and one made with other keys.
    fs::create_directories(folder / "mixed");
    for (const auto& file : fs::directory_iterator(folder / "seed" / "plain")) {
        fs::copy(file.path(), folder / "mixed" / file.path().filename());
    }
    for (const auto& file : fs::directory_iterator(folder / "aged" / "plain")) {
        const Bytes bytes = ReadBytes(file.path());
        EXPECT_TRUE(age::AgeHeader::StartsAgeFile(bytes)) << file.path();
        fs::copy(file.path(), folder / "mixed" / ("age-" + file.path().filename().string()));
    }
    {
        QueueSettings other = settings(Direction::Encrypt, CipherFormat::Age);
        other.ageKeys = std::make_shared<AgeKeys>(std::vector{age::X25519Identity::Generate()});
        WriteBytes(folder / "other.bin", PatternBytes(100, 7));
        FileQueue foreign(
            SourceGathering::Gather({folder / "other.bin"}, folder / "mixed", AgeSuffix::Append),
            other);
        ASSERT_EQ(foreign.Run(observer).done, 1u);
    }

    FileQueue back(SourceGathering::Gather({folder / "mixed"}, folder / "back", AgeSuffix::Drop),
                   settings(Direction::Decrypt, CipherFormat::Seed));
    const QueueSummary summary = back.Run(observer);
    EXPECT_EQ(summary.done, 2 * sizes.size());
    EXPECT_EQ(summary.failed, 1u);
    EXPECT_EQ(summary.notOpened, 1u);
    EXPECT_EQ(observer.doubtQuestions, 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const std::string name = NameOf(i);
        const Bytes plain = PatternBytes(sizes[i], static_cast<std::uint32_t>(i));
        EXPECT_EQ(ReadBytes(folder / "back" / "mixed" / name), plain) << name;
        EXPECT_EQ(ReadBytes(folder / "back" / "mixed" / ("age-" + name)), plain) << name;
    }
    for (const QueueEntry& entry : back.Entries()) {
        if (entry.state != EntryState::Failed) continue;
        EXPECT_EQ(entry.source.filename(), "other.bin.age");
        EXPECT_TRUE(entry.notOpened);
        EXPECT_EQ(entry.reason, AgeNotOpenedMessage(*KeyFileFingerprint(folder / "uae")));
        EXPECT_FALSE(fs::exists(entry.target));
    }
}

}  // namespace
}  // namespace korvel::test
