#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "files/LeftoverNames.h"
#include "files/TemporaryTarget.h"
#include "run/BlockBuffer.h"
#include "run/CipherRun.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kBlock = BlockBuffer::kRunBlockSize;
constexpr std::uint64_t kHeader = 10;

// The length of the run's named temporary file in the folder: the offset its next write starts at.
std::uint64_t TemporaryFileLength(const fs::path& folder) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find(LeftoverNames::kNameMark) != std::string::npos)
            return entry.file_size();
    }
    ADD_FAILURE() << "no temporary file in " << folder;
    return 0;
}

class BlockBoundaryTest : public ::testing::Test {
protected:
    void SetUp() override { TemporaryTarget::PreferUnnamedFiles(false); }
    void TearDown() override { TemporaryTarget::PreferUnnamedFiles(true); }
};

// Every write of a run, encrypting or decrypting, starts on a block boundary of the target, and the
// run writes whole blocks until its last: the header goes out with the first block's data. A
// write that starts ten bytes into a page costs the system half as much again as an aligned one.
// A ciphertext of up to a block and ten bytes goes out in one write.
TEST_F(BlockBoundaryTest, EveryWriteStartsOnABlockBoundaryOfTheTarget) {
    const std::vector<std::uint64_t> plainLengths = {
        1,          kBlock - kHeader - 1, kBlock - kHeader, kBlock - kHeader + 1, kBlock,
        kBlock + 1, 2 * kBlock - kHeader, 2 * kBlock,       3 * kBlock + 5};
    for (const Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
        for (const std::uint64_t plainLength : plainLengths) {
            const bool encrypting = direction == Direction::Encrypt;
            const std::string label = std::string(encrypting ? "encrypt " : "decrypt ") +
                                      std::to_string(plainLength) + " bytes";
            TempFolder folder;
            WriteBytes(folder / "uae", PatternBytes(130000, 1));
            const Bytes plain = PatternBytes(plainLength, 2);
            WriteBytes(folder / "plain", plain);
            RecordingObserver quiet;
            if (encrypting) {
                fs::rename(folder / "plain", folder / "source");
            } else {
                const RunRequest encryption{Direction::Encrypt, folder / "plain", folder / "source",
                                            "Secret 1", folder / "uae"};
                ASSERT_EQ(CipherRun(encryption, quiet).outcome, RunOutcome::Completed);
            }
            const fs::path target = folder / "target";
            std::vector<std::uint64_t> offsets;
            const RunResult result =
                CipherRun({direction, folder / "source", target, "Secret 1", folder / "uae"}, quiet,
                          [&] { offsets.push_back(TemporaryFileLength(folder.Path())); });

            ASSERT_EQ(result.outcome, RunOutcome::Completed) << label;
            const std::uint64_t targetLength = plainLength + (encrypting ? kHeader : 0);
            ASSERT_EQ(fs::file_size(target), targetLength) << label;
            if (!encrypting) {
                EXPECT_EQ(ReadBytes(target), plain) << label;
            }
            offsets.push_back(targetLength);
            std::vector<std::uint64_t> writes;
            for (std::size_t i = 1; i < offsets.size(); ++i) {
                EXPECT_EQ(offsets[i - 1] % kBlock, 0u) << label << ": write " << i;
                if (offsets[i] > offsets[i - 1]) writes.push_back(offsets[i] - offsets[i - 1]);
            }
            ASSERT_FALSE(writes.empty()) << label;
            const std::vector<std::uint64_t> allButLast(writes.begin(), writes.end() - 1);
            EXPECT_EQ(allButLast, std::vector<std::uint64_t>(allButLast.size(), kBlock)) << label;
            EXPECT_LE(writes.back(), kBlock + kHeader) << label;
        }
    }
}

}  // namespace
}  // namespace korvel::test
