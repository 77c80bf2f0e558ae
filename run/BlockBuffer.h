#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel {

// The buffer a run reads each block into, transforms in place and writes out from.
//
// The system copies every block into it and out of it again, and those two copies are most of a
// run's time. An ordinary heap block of this size starts 16 bytes into a page, so on some
// processors both copies run misaligned against the file's pages, at well under full speed. This
// buffer starts on a page boundary, as the file's pages do (the reading ring places its blocks half
// a page in: TransformingReader.cpp says why).
class BlockBuffer {
public:
    // Large enough that the two system calls per block cost nothing beside the copies, small
    // enough that the block and the key bytes applied to it stay together in a core's
    // second-level cache (512 KiB a core on many machines) between the read and the write.
    static constexpr std::size_t kRunBlockSize = std::size_t{128} * 1024;

    explicit BlockBuffer(std::size_t size);
    BlockBuffer(const BlockBuffer&) = delete;
    BlockBuffer& operator=(const BlockBuffer&) = delete;
    ~BlockBuffer();

    std::uint8_t* Data() { return data_; }
    std::size_t Size() const { return size_; }

private:
    std::size_t size_;
    std::uint8_t* data_;
};

}  // namespace korvel
