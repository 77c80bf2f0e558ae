#include <gtest/gtest.h>
#include <openssl/crypto.h>

#include <cstdint>
#include <cstring>

namespace korvel::test {
namespace {

void Fill(void* block, std::size_t size, std::uint8_t seed) {
    auto* bytes = static_cast<std::uint8_t*>(block);
    for (std::size_t i = 0; i < size; i += 4093) bytes[i] = static_cast<std::uint8_t>(seed + i);
}

bool Holds(const void* block, std::size_t size, std::uint8_t seed) {
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    for (std::size_t i = 0; i < size; i += 4093) {
        if (bytes[i] != static_cast<std::uint8_t>(seed + i)) return false;
    }
    return true;
}

// libcrypto's blocks, small and large, keep their bytes through every change of size, whichever
// allocator serves them before and after.
TEST(LargeBlocksTest, ReallocationKeepsTheBytesAcrossTheLargeBlockSize) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    const struct {
        std::size_t from, to;
    } rows[] = {
        {40 * kMiB, 64 * kMiB},  // large to larger
        {64 * kMiB, 33 * kMiB},  // large to smaller, still large
        {48 * kMiB, 1000},       // large to small
        {1000, 40 * kMiB},       // small to large
        {100, 200},              // small to small
    };
    for (const auto& row : rows) {
        void* block = OPENSSL_malloc(row.from);
        ASSERT_NE(block, nullptr);
        Fill(block, row.from, static_cast<std::uint8_t>(row.from));
        void* moved = OPENSSL_realloc(block, row.to);
        ASSERT_NE(moved, nullptr) << row.from << " to " << row.to;
        EXPECT_TRUE(Holds(moved, std::min(row.from, row.to), static_cast<std::uint8_t>(row.from)))
            << row.from << " to " << row.to;
        OPENSSL_clear_free(moved, row.to);
    }
}

// More large blocks at once than are mapped for: the rest come from malloc, and all are freed.
TEST(LargeBlocksTest, ManyLargeBlocksAtOnce) {
    constexpr std::size_t kSize = std::size_t{32} << 20;
    void* blocks[10];
    for (std::size_t i = 0; i < std::size(blocks); ++i) {
        blocks[i] = OPENSSL_malloc(kSize);
        ASSERT_NE(blocks[i], nullptr);
        Fill(blocks[i], kSize, static_cast<std::uint8_t>(i));
    }
    for (std::size_t i = 0; i < std::size(blocks); ++i) {
        EXPECT_TRUE(Holds(blocks[i], kSize, static_cast<std::uint8_t>(i))) << i;
        OPENSSL_free(blocks[i]);
    }
}

}  // namespace
}  // namespace korvel::test
