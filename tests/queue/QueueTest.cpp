#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "cipher/CiphertextHeader.h"
#include "files/CommitGroup.h"
#include "files/FileError.h"
#include "queue/FileQueue.h"
#include "queue/QueueMessages.h"
#include "queue/SourceGathering.h"
#include "run/RunMessages.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

std::string StateOf(const QueueEntry& entry) {
    switch (entry.state) {
        case EntryState::Waiting:
            return "waiting";
        case EntryState::Working:
            return "working";
        case EntryState::Done:
            return "done";
        case EntryState::Skipped:
            return "skipped: " + entry.reason;
        case EntryState::Failed:
            return "failed: " + entry.reason;
    }
    return {};
}

class RecordingQueueObserver : public QueueObserver {
public:
    void EntryChanged(std::size_t index, const QueueEntry& entry) override {
        if (onChange) onChange(index, entry);
    }
    void BytesDone(std::uint64_t done, std::uint64_t total) override {
        EXPECT_GE(done, lastDone);
        EXPECT_LE(done, total);
        lastDone = done;
        if (onBytes) onBytes(done);
    }
    DoubtDecision AskAboutDoubtfulResult(const QueueEntry&) override {
        ++doubtQuestions;
        return doubtDecision;
    }
    std::function<void(std::size_t, const QueueEntry&)> onChange;
    std::function<void(std::uint64_t)> onBytes;
    DoubtDecision doubtDecision = DoubtDecision::StopHere;
    int doubtQuestions = 0;
    std::uint64_t lastDone = 0;
};

// A tree with a nested folder, a link to a file and a link to a folder, and a FIFO.
class QueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(folder / "uae", PatternBytes(130000, 1));
        fs::create_directories(folder / "in" / "project" / "docs");
        WriteBytes(folder / "in" / "project" / "a.txt", PatternBytes(100, 2));
        WriteBytes(folder / "in" / "project" / "docs" / "b.txt", PatternBytes(300000, 3));
        WriteBytes(folder / "in" / "single.bin", PatternBytes(10, 4));
        fs::create_directories(folder / "out");
    }
    QueueSettings Settings(ExistingTargets existing) const {
        return {Direction::Encrypt, "Secret 1", folder / "uae", existing, {}};
    }
    TempFolder folder;
};

// Targets keep their names, a folder is mirrored by its own name, and existing targets follow
// the policy asked once, also a target that an earlier file of the set wrote.
TEST_F(QueueTest, TargetsMirrorTheSourcesAndExistingOnesFollowThePolicy) {
    const std::string exists = "failed: " + std::string(kTargetExists);
    const std::string skipped = "skipped: " + std::string(kSkippedExisting);
    const struct {
        const char* label;
        ExistingTargets existing;
        std::vector<std::string> states;  // a.txt, b.txt, single.bin, the other single.bin
    } rows[] = {
        {"refuse", ExistingTargets::Refuse, {"done", exists, "done", exists}},
        {"skip", ExistingTargets::Skip, {"done", skipped, "done", skipped}},
        {"replace", ExistingTargets::Replace, {"done", "done", "done", "done"}},
    };
    fs::create_directories(folder / "other");
    WriteBytes(folder / "other" / "single.bin", PatternBytes(20, 5));
    for (const auto& row : rows) {
        fs::remove_all(folder / "out");
        fs::create_directories(folder / "out" / "project" / "docs");
        const Bytes earlier = PatternBytes(5, 9);
        WriteBytes(folder / "out" / "project" / "docs" / "b.txt", earlier);
        std::vector<QueueEntry> entries =
            SourceGathering::Gather({folder / "in" / "project", folder / "in" / "single.bin",
                                     folder / "other" / "single.bin"},
                                    folder / "out");
        ASSERT_EQ(entries.size(), 4u) << row.label;
        EXPECT_EQ(entries[0].target, folder / "out" / "project" / "a.txt");
        EXPECT_EQ(entries[1].target, folder / "out" / "project" / "docs" / "b.txt");
        EXPECT_EQ(entries[2].target, folder / "out" / "single.bin");
        EXPECT_EQ(entries[3].target, folder / "out" / "single.bin");

        FileQueue queue(std::move(entries), Settings(row.existing));
        RecordingQueueObserver observer;
        const QueueSummary summary = queue.Run(observer);
        std::vector<std::string> states;
        for (const QueueEntry& entry : queue.Entries()) states.push_back(StateOf(entry));
        EXPECT_EQ(states, row.states) << row.label;
        EXPECT_EQ(summary.done, std::size_t(std::count(states.begin(), states.end(), "done")));
        EXPECT_EQ(observer.lastDone, 300130u) << row.label;
        const Bytes b = ReadBytes(folder / "out" / "project" / "docs" / "b.txt");
        EXPECT_EQ(b.size() == earlier.size(), row.existing != ExistingTargets::Replace)
            << row.label;
        const bool second = row.existing == ExistingTargets::Replace;
        EXPECT_EQ(ReadBytes(folder / "out" / "single.bin").size(), kHeaderSize + (second ? 20 : 10))
            << row.label;
    }
    EXPECT_EQ(SourceGathering::Refusal({folder / "in"}, folder / "in"), kTargetFolderIsSource);
    EXPECT_EQ(SourceGathering::Refusal({folder / "in"}, folder / "in" / "project" / "new"),
              kTargetFolderInSource);
    EXPECT_EQ(SourceGathering::Refusal({folder / "in" / "project"}, folder / "out"), std::nullopt);
    EXPECT_EQ(SourceGathering::Refusal({folder / "in" / "single.bin"}, folder / "in"),
              kTargetFolderHoldsSource);
}

#ifndef _WIN32
// A FIFO in the tree and an unreadable file fail on their own; a link to a folder is not
// followed; a cancel during a file removes its temporary file and keeps the files already done.
TEST_F(QueueTest, FailuresStayWithTheirFileAndACancelKeepsWhatIsDone) {
    ASSERT_EQ(mkfifo((folder / "in" / "project" / "fifo").c_str(), 0600), 0);
    fs::create_directory_symlink(folder / "in" / "project" / "docs",
                                 folder / "in" / "project" / "loop");
    std::vector<QueueEntry> entries = SourceGathering::Gather(
        {folder / "in" / "project", folder / "in" / "single.bin"}, folder / "out");
    FileQueue queue(std::move(entries), Settings(ExistingTargets::Refuse));
    RecordingQueueObserver observer;
    observer.onBytes = [&](std::uint64_t done) {
        if (done > 100) queue.Cancel();  // halfway through b.txt, after a.txt's 100 bytes
    };
    const QueueSummary summary = queue.Run(observer);
    std::vector<std::string> states;
    for (const QueueEntry& entry : queue.Entries()) states.push_back(StateOf(entry));
    EXPECT_EQ(states,
              (std::vector<std::string>{"done", "skipped: " + std::string(kCancelledBeforeRun),
                                        "failed: " + std::string(kNotFileOrFolder),
                                        "skipped: " + std::string(kFolderLinkNotFollowed),
                                        "skipped: " + std::string(kCancelledBeforeRun)}));
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(ReadBytes(folder / "out" / "project" / "a.txt").size(), 110u);
    EXPECT_TRUE(fs::is_empty(folder / "out" / "project" / "docs"))
        << "the cancelled file left its temporary file";
}

// More files than a commit group holds, named and unnamed: each is done only once its target is in
// place, holds its source encrypted (the set's one key reader, past the key's end and block after
// block, starts each file afresh) and has the access a single run gives; a cancel keeps the
// finished files and leaves no temporary, and a leftover is swept.
TEST_F(QueueTest, FilesCommittedInGroupsAreWholeAndACancelKeepsTheFinishedOnes) {
    const std::size_t count = CommitGroup::kCountLimit + 6;
    const struct {
        bool unnamed;
        std::size_t cancelAt;
    } rows[] = {{true, count}, {false, 40}};
    const auto length = [](std::size_t i) { return i % 10 == 3 ? i * 7000 : i * 7; };
    const mode_t savedMask = umask(022);
    fs::create_directories(folder / "many");
    for (std::size_t i = 0; i < count; ++i) {
        WriteBytes(folder / "many" / std::to_string(i), PatternBytes(length(i), i));
    }
    fs::permissions(folder / "many" / "5", fs::perms(0600));
    fs::permissions(folder / "many" / "6", fs::perms(0666));
    for (const auto& row : rows) {
        TemporaryTarget::PreferUnnamedFiles(row.unnamed);
        fs::remove_all(folder / "out");
        FileQueue queue(SourceGathering::Gather({folder / "many"}, folder / "out"),
                        Settings(ExistingTargets::Refuse));
        fs::create_directories(folder / "out" / "many");  // with a leftover of a run that died
        WriteBytes(fs::path(queue.Entries()[0].target) += ".korvel-00beef.part", {});
        RecordingQueueObserver observer;
        observer.onChange = [&](std::size_t index, const QueueEntry& entry) {
            if (entry.state == EntryState::Done) {
                EXPECT_TRUE(fs::exists(entry.target));
            }
            if (index == row.cancelAt) queue.Cancel();
        };
        queue.Run(observer);
        for (std::size_t index = 0; index < count; ++index) {
            const QueueEntry& entry = queue.Entries()[index];
            ASSERT_EQ(entry.state, index < row.cancelAt ? EntryState::Done : EntryState::Skipped);
            if (index >= row.cancelAt) continue;
            const std::size_t i = std::stoul(entry.source.filename().string());
            const Bytes cipher = ReadBytes(entry.target);
            EXPECT_EQ(Bytes(cipher.begin() + kHeaderSize, cipher.end()),
                      ReferenceTransform(PatternBytes(length(i), i), "Secret 1",
                                         ReadBytes(folder / "uae")))
                << i;
        }
        EXPECT_EQ(std::size_t(std::distance(fs::directory_iterator(folder / "out" / "many"), {})),
                  std::min(count, row.cancelAt));
        if (row.cancelAt < count) continue;  // "5" and "6" come late in the order of names
        EXPECT_EQ(fs::status(folder / "out" / "many" / "5").permissions(), fs::perms(0600));
        EXPECT_EQ(fs::status(folder / "out" / "many" / "6").permissions(), fs::perms(0644));
    }
    TemporaryTarget::PreferUnnamedFiles(true);
    umask(savedMask);
}

// A file that cannot be read, changes while it is read, or cannot be written under its name fails
// with its own reason, before anything of it reaches the target folder; the next file is done.
TEST_F(QueueTest, BadInputFailsItsOwnFileAndLeavesNothingOfIt) {
    const fs::path victim = folder / "in" / "victim", out = folder / "out";
    const Bytes original = PatternBytes(300000, 5);
    std::string longName;  // 300 bytes, more than a folder takes on most file systems
    for (int i = 0; i < 100; ++i) longName += "文";
    const auto failed = [](const char* lead, const fs::path& file, const std::string& reason) {
        return "failed: " + std::string(lead) + PathText(file) + "\n" + reason;
    };
    const std::string changed = failed(kCannotReadFile, victim, kSourceChanged);
    const bool root = geteuid() == 0;  // reads and writes everything: no row
    const struct {
        std::string state;  // of the victim
        std::function<void()> before = {};
        std::function<void()> during = {};  // while the victim is being read
        fs::path target = {};               // where not the mirrored one
    } rows[] = {
        {root ? "" : failed(kCannotReadFile, victim, SystemReason(EACCES)),
         [&] { fs::permissions(victim, fs::perms::none); }},
        {root ? "" : failed(kCannotCreateFolder, out / "ro" / "sub", SystemReason(EACCES)),
         [&] {
             fs::create_directory(out / "ro");
             fs::permissions(out / "ro", fs::perms::owner_read | fs::perms::owner_exec);
         },
         {},
         out / "ro" / "sub" / "victim"},
        {changed, {}, [&] { fs::resize_file(victim, 100); }},
        {changed, {}, [&] { std::ofstream(victim, std::ios::app) << "more"; }},
        {changed,
         [&] {
             fs::last_write_time(victim, fs::file_time_type::clock::now() - std::chrono::hours(1));
         },
         [&] { std::fstream(victim, std::ios::in | std::ios::out) << "same length"; }},
        {"failed: " + std::string(kTargetNameTooLong), {}, {}, out / longName},
        {"failed: " + std::string(kLinkLeadsNowhere),
         [&] {
             fs::remove(victim);
             fs::create_symlink("victim", victim);
         }},
    };
    for (const auto& row : rows) {
        if (row.state.empty()) continue;
        fs::remove_all(out);
        fs::create_directories(out);
        WriteBytes(victim, original);
        if (row.before) row.before();
        std::vector<QueueEntry> entries =
            SourceGathering::Gather({victim, folder / "in" / "single.bin"}, out);
        if (!row.target.empty()) entries[0].target = row.target;
        FileQueue queue(std::move(entries), Settings(ExistingTargets::Refuse));
        RecordingQueueObserver observer;
        observer.onBytes = [&, during = row.during](std::uint64_t done) mutable {
            if (during && done > 0 && done < original.size()) std::exchange(during, nullptr)();
        };
        queue.Run(observer);
        EXPECT_EQ(StateOf(queue.Entries()[0]), row.state);
        EXPECT_EQ(StateOf(queue.Entries()[1]), "done") << row.state;
        std::vector<std::string> written;
        for (const auto& file : fs::recursive_directory_iterator(out)) {
            if (!file.is_directory()) written.push_back(file.path().filename());
        }
        EXPECT_EQ(written, std::vector<std::string>{"single.bin"}) << row.state;
        if (!row.during && fs::is_regular_file(fs::symlink_status(victim))) {
            fs::permissions(victim, fs::perms::owner_read);
            EXPECT_EQ(ReadBytes(victim), original) << row.state;
        }
        fs::remove(victim);
    }
}
#endif

}  // namespace
}  // namespace korvel::test
