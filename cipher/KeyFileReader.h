#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "files/BinaryFile.h"

namespace korvel {

// Hands out the key file's bytes from a start position on, wrapping from the last byte to the
// first. The file is read in blocks of at most kBlockSize bytes, so memory does not grow with it;
// the first block is kFirstBlockSize and each one after it twice the one before, so that a run of
// a small file reads little of a long key file.
//
// A read past the end of the key file yields 0 and the position wraps to the first byte. That
// happens once when the file is shorter than the start position, and at every byte when the file
// is empty. Both directions do the same, so such a ciphertext still decrypts.
class KeyFileReader {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
    static constexpr std::size_t kFirstBlockSize = std::size_t{64} << 10;

    explicit KeyFileReader(BinaryFile file);

    std::uint64_t Length() const { return length_; }
    // Positions are 1-based: position 1 is the file's first byte.
    void StartAt(std::uint64_t position);
    std::uint64_t Position() const { return position_; }
    // The next key bytes, at least one and at most maxCount, and moves past them.
    std::span<const std::uint8_t> Next(std::size_t maxCount);
    void Close() { file_.Close(); }

private:
    std::span<const std::uint8_t> PastTheEnd(std::size_t maxCount);
    void LoadBlockAt(std::uint64_t offset);

    BinaryFile file_;
    std::uint64_t length_;
    std::uint64_t position_ = 1;
    std::vector<std::uint8_t> block_;
    std::uint64_t blockOffset_ = 0;
    std::size_t nextBlockSize_ = kFirstBlockSize;
};

}  // namespace korvel
