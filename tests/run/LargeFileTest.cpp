#include <gtest/gtest.h>

#include <algorithm>

#include "files/BinaryFile.h"
#include "run/CipherRun.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

// Streams two files side by side; neither is held in memory.
bool SameContent(const fs::path& first, const fs::path& second) {
    BinaryFile a = BinaryFile::OpenForReading(first), b = BinaryFile::OpenForReading(second);
    if (a.Size() != b.Size()) return false;
    Bytes blockA(1 << 20), blockB(1 << 20);
    for (;;) {
        const std::size_t gotA = a.Read(blockA.data(), blockA.size());
        const std::size_t gotB = b.Read(blockB.data(), blockB.size());
        if (gotA != gotB || !std::equal(blockA.begin(), blockA.begin() + gotA, blockB.begin())) {
            return false;
        }
        if (gotA == 0) return true;
    }
}

void WriteAt(const fs::path& path, std::uint64_t offset, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.string().c_str(), "r+b");
    ASSERT_NE(file, nullptr);
#ifdef _WIN32
    _fseeki64(file, static_cast<long long>(offset), SEEK_SET);
#else
    fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

class MaxPercentObserver : public RecordingObserver {
public:
    void ShowPercent(int percent) override { highest = std::max(highest, percent); }
    int highest = -1;
};

// Sizes, positions and counters past 2 and 4 GiB: a sparse 5 GiB file with marks at the edges.
TEST(LargeFile, FiveGibibyteSourceRoundTrips) {
    TempFolder folder;
    const std::uint64_t size = 5 * kGiB + 12345;
    const fs::space_info space = fs::space(folder.Path());
    if (space.available < 2 * size + kGiB) GTEST_SKIP() << "not enough free disk space";

    WriteBytes(folder / "uae", PatternBytes(200000, 5));
    WriteBytes(folder / "plain", {});
    fs::resize_file(folder / "plain", size);
    for (const std::uint64_t offset : {std::uint64_t{0}, 2 * kGiB - 3, 4 * kGiB - 3, size - 100}) {
        WriteAt(folder / "plain", offset, PatternBytes(100, static_cast<std::uint32_t>(offset)));
    }

    MaxPercentObserver observer;
    ASSERT_EQ(CipherRun({Direction::Encrypt, folder / "plain", folder / "cipher", "large file",
                         folder / "uae"},
                        observer)
                  .outcome,
              RunOutcome::Completed);
    EXPECT_EQ(fs::file_size(folder / "cipher"), size + 10);
    EXPECT_GE(observer.highest, 99);

    observer.highest = -1;
    ASSERT_EQ(CipherRun({Direction::Decrypt, folder / "cipher", folder / "back", "large file",
                         folder / "uae"},
                        observer)
                  .outcome,
              RunOutcome::Completed);
    EXPECT_GE(observer.highest, 99);
    fs::remove(folder / "cipher");
    EXPECT_TRUE(SameContent(folder / "plain", folder / "back"));
}

}  // namespace
}  // namespace korvel::test
