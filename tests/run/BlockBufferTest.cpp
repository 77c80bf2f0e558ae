#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "run/BlockBuffer.h"

namespace korvel::test {
namespace {

// The system copies blocks from and into file pages; the buffer has to start where a page does.
TEST(BlockBuffer, StartsOnAPageAndHoldsItsWholeSize) {
    for (const std::size_t size : {std::size_t{1}, std::size_t{4095}, std::size_t{100000},
                                   BlockBuffer::kRunBlockSize, std::size_t{3} << 20}) {
        SCOPED_TRACE(size);
        BlockBuffer buffer(size);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % 4096, 0u);
        ASSERT_EQ(buffer.Size(), size);
        std::memset(buffer.Data(), 0xa5, size);
        EXPECT_EQ(buffer.Data()[size - 1], 0xa5);
    }
}

TEST(BlockBuffer, EmptyRequestStillGivesAUsableByte) {
    BlockBuffer buffer(0);
    ASSERT_EQ(buffer.Size(), 1u);
    buffer.Data()[0] = 7;
    EXPECT_EQ(buffer.Data()[0], 7);
}

}  // namespace
}  // namespace korvel::test
