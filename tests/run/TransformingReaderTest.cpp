#include <gtest/gtest.h>

#include "cipher/KeyFileReader.h"
#include "cipher/Keystream.h"
#include "files/FileError.h"
#include "run/BlockBuffer.h"
#include "run/RunMessages.h"
#include "run/TransformingReader.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

constexpr std::size_t kBlock = BlockBuffer::kRunBlockSize;
constexpr const char* kPassword = "Reader 42";

struct ReaderCase {
    const char* name;
    std::size_t fileSize;
    std::size_t skip;  // bytes before the data, as a ciphertext's header
    std::uint64_t dataCount;
    std::size_t firstCount;
    bool readAhead;
    std::size_t blocksBeforeFailure;  // every block when the file holds the data
};

// Test names and failures show the row's name, not its bytes.
void PrintTo(const ReaderCase& row, std::ostream* out) { *out << row.name; }

class TransformingReaderTest : public ::testing::TestWithParam<ReaderCase> {};

// Every row reads through the whole data as a run does; the ring's rows take more blocks than the
// ring holds, and the short files end while the reader is still ahead of the writer.
TEST_P(TransformingReaderTest, HandsOutTheTransformedDataInOrderAndFailsAtTheBlockThatIsShort) {
    const ReaderCase& row = GetParam();
    TempFolder folder;
    const Bytes key = PatternBytes(70000, 4), data = PatternBytes(row.fileSize, 5);
    WriteBytes(folder / "uae", key);
    WriteBytes(folder / "source", data);
    BinaryFile source = BinaryFile::OpenForReading(folder / "source");
    source.Seek(row.skip);
    KeyFileReader keyReader(BinaryFile::OpenForReading(folder / "uae"));
    Keystream keystream;
    keystream.Start(kPassword, keyReader);

    TransformingReader reader(source, keystream, row.dataCount, row.firstCount, row.readAhead);
    Bytes got;
    std::size_t blocks = 0;
    try {
        for (std::uint64_t done = 0; done < row.dataCount; ++blocks) {
            const TransformingReader::Block block = reader.Next();
            const std::size_t expected = blocks == 0 ? row.firstCount : kBlock;
            EXPECT_EQ(block.count, std::min<std::uint64_t>(expected, row.dataCount - done));
            got.insert(got.end(), block.data, block.data + block.count);
            done += block.count;
        }
        EXPECT_EQ(blocks, row.blocksBeforeFailure) << "the short file went unnoticed";
    } catch (const FileError& error) {
        EXPECT_EQ(blocks, row.blocksBeforeFailure);
        EXPECT_EQ(error.Reason(), kSourceChanged);
    }
    const Bytes plain(data.begin() + static_cast<std::ptrdiff_t>(row.skip),
                      data.begin() + static_cast<std::ptrdiff_t>(row.skip + got.size()));
    EXPECT_EQ(got, ReferenceTransform(plain, kPassword, key));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TransformingReaderTest,
    ::testing::Values(
        ReaderCase{"OneShortBlock", 100, 0, 100, kBlock, false, 1},
        ReaderCase{"HeaderSkippedOneBlock", kBlock + 10, 10, kBlock, kBlock, false, 1},
        ReaderCase{"ShorterFirstBlockInline", 5 * kBlock + 7, 0, 5 * kBlock + 7, kBlock - 10, false,
                   6},
        ReaderCase{"ShorterFirstBlockAhead", 5 * kBlock + 7, 0, 5 * kBlock + 7, kBlock - 10, true,
                   6},
        ReaderCase{"RingWrapsAhead", 40 * kBlock + 3, 10, 40 * kBlock - 7, kBlock, true, 40},
        ReaderCase{"ShortFileInline", 3 * kBlock, 0, 9 * kBlock, kBlock, false, 3},
        ReaderCase{"ShortFileAhead", 20 * kBlock + 5, 0, 30 * kBlock, kBlock, true, 20}),
    [](const auto& info) { return std::string(info.param.name); });

// The writer may stop at any block (a cancel, a window going away) while the reader waits for room
// in a full ring; stopping must not wait for the rest of the file.
TEST(TransformingReaderStop, StopsWhileTheRingIsFull) {
    TempFolder folder;
    WriteBytes(folder / "uae", PatternBytes(1000, 6));
    WriteBytes(folder / "source", PatternBytes(64 * kBlock, 7));
    BinaryFile source = BinaryFile::OpenForReading(folder / "source");
    KeyFileReader key(BinaryFile::OpenForReading(folder / "uae"));
    Keystream keystream;
    keystream.Start(kPassword, key);
    TransformingReader reader(source, keystream, 64 * kBlock, kBlock, true);
    EXPECT_EQ(reader.Next().count, kBlock);
    reader.Stop();
    std::uint8_t byte = 0;
    EXPECT_EQ(source.Read(&byte, 1), 1u) << "the reader went on to the end of the file";
}

}  // namespace
}  // namespace korvel::test
