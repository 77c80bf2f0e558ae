#include "KeyFileReader.h"

#include <algorithm>
#include <array>

namespace korvel {

namespace {

constexpr std::size_t kZeroRun = 4096;
constexpr std::array<std::uint8_t, kZeroRun> kZeros{};

}  // namespace

KeyFileReader::KeyFileReader(BinaryFile file) : file_(std::move(file)), length_(file_.Size()) {
    // The first block starts at the start position and ends at the end of the file; the block
    // after the wrap is longer. Room for the longest from the start spares moving the block to
    // fresh memory then, whose every page the system would have to supply again.
    block_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(length_, kBlockSize)));
}

void KeyFileReader::StartAt(std::uint64_t position) { position_ = position; }

std::span<const std::uint8_t> KeyFileReader::Next(std::size_t maxCount) {
    if (maxCount == 0) return {};
    if (position_ > length_) return PastTheEnd(maxCount);

    const std::uint64_t offset = position_ - 1;
    if (offset < blockOffset_ || offset >= blockOffset_ + block_.size()) LoadBlockAt(offset);
    const std::size_t inBlock = static_cast<std::size_t>(offset - blockOffset_);
    const std::size_t count = std::min(maxCount, block_.size() - inBlock);
    position_ += count;
    if (position_ > length_) position_ = 1;
    return {block_.data() + inBlock, count};
}

std::span<const std::uint8_t> KeyFileReader::PastTheEnd(std::size_t maxCount) {
    position_ = 1;
    // An empty file stays past the end at every byte; otherwise only this one read is.
    const std::size_t count = length_ == 0 ? std::min(maxCount, kZeroRun) : 1;
    return {kZeros.data(), count};
}

void KeyFileReader::LoadBlockAt(std::uint64_t offset) {
    const std::uint64_t left = length_ - offset;
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(left, nextBlockSize_));
    nextBlockSize_ = std::min(nextBlockSize_ * 2, kBlockSize);
    block_.resize(count);
    file_.Seek(offset);
    file_.ReadExactly(block_.data(), count);
    blockOffset_ = offset;
}

}  // namespace korvel
