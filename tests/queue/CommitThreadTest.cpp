#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "files/BinaryFile.h"
#include "files/CommitGroup.h"
#include "files/TemporaryTarget.h"
#include "queue/CommitThread.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

// A group of `count` targets "<first>.out" ... whose sources are read to their end, so that they
// commit; a source that grows after it was read fails its member.
std::unique_ptr<CommitGroup> GroupOf(const TempFolder& folder, int first, int count,
                                     int growingSource = -1) {
    auto group = std::make_unique<CommitGroup>();
    for (int number = first; number < first + count; ++number) {
        const fs::path source = folder / (std::to_string(number) + ".in");
        const Bytes bytes = PatternBytes(100 + number, number);
        WriteBytes(source, bytes);
        BinaryFile reading = BinaryFile::OpenForReading(source);
        Bytes read(bytes.size());
        reading.ReadExactly(read.data(), read.size());
        auto target =
            std::make_unique<TemporaryTarget>(folder / (std::to_string(number) + ".out"), 0600);
        target->Write(read.data(), read.size());
        if (number == growingSource) WriteBytes(source, PatternBytes(5000, 1));
        group->Add(std::move(target), read.size(), std::move(reading));
    }
    return group;
}

// Groups handed over commit in turn, each member reported; those still waiting when the thread
// ends are committed, not lost.
TEST(CommitThreadTest, EveryGroupHandedOverCommitsAndReportsItsMembers) {
    struct Row {
        const char* label;
        bool waitForEach;
        int growingSource;
    };
    const Row rows[] = {
        {"each group waited for", true, -1},
        {"the thread ended with groups waiting", false, -1},
        {"a source changed after it was read", true, 4},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        std::vector<CommitThread::Failures> failures;
        {
            CommitThread thread;
            std::vector<std::future<CommitThread::Failures>> pending;
            for (int first = 0; first < 9; first += 3) {
                pending.push_back(thread.Commit(GroupOf(folder, first, 3, row.growingSource)));
                if (row.waitForEach) failures.push_back(pending.back().get());
            }
        }
        for (int number = 0; number < 9; ++number) {
            const fs::path target = folder / (std::to_string(number) + ".out");
            if (number == row.growingSource) {
                EXPECT_FALSE(fs::exists(target)) << row.label;
                EXPECT_TRUE(failures[1][1].has_value()) << row.label;
                continue;
            }
            EXPECT_EQ(ReadBytes(target), PatternBytes(100 + number, number))
                << row.label << ": " << number;
            if (row.waitForEach) {
                EXPECT_FALSE(failures[number / 3][number % 3]) << row.label;
            }
        }
        for (const std::string& name : folder.Listing()) {
            EXPECT_EQ(name.find(".korvel-"), std::string::npos) << row.label << ": " << name;
        }
    }
}

}  // namespace
}  // namespace korvel::test
