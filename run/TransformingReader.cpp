#include "TransformingReader.h"

#include <algorithm>
#include <system_error>

#include "PageCacheProbe.h"
#include "ProcessorCount.h"

namespace korvel {

namespace {

// Blocks start half a page into the ring. The system copies a block from the source's pages into
// it and from it into the target's, and a ciphertext lies ten bytes further into its pages than
// its plaintext, so one of the two copies writes ten bytes ahead of where it reads, counted within
// a page. The processor then takes each load for one that may depend on a store just made to the
// same place in another page, and waits: such a copy costs half as much again (`dd seek=10`
// measures it). Half a page away from both files' pages, neither copy comes near that.
constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kHalfPage = kPageSize / 2;

std::size_t SlotSize(std::uint64_t dataCount) {
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(BlockBuffer::kRunBlockSize, std::max<std::uint64_t>(dataCount, 1)));
}

}  // namespace

TransformingReader::TransformingReader(BinaryFile& source, Keystream& keystream,
                                       std::uint64_t dataCount, std::size_t firstCount,
                                       bool readAhead)
    : source_(source),
      keystream_(keystream),
      dataCount_(dataCount),
      nextCount_(firstCount),
      ring_(SlotSize(dataCount) * (readAhead ? kRingSize : 1) + kPageSize) {
    const std::size_t slotSize = SlotSize(dataCount);
    for (std::size_t offset = kHalfPage; offset + slotSize <= ring_.Size() - kHalfPage;
         offset += slotSize) {
        slots_.emplace_back(ring_.Data() + offset);
    }
    if (!readAhead) return;
    try {
        reader_ = std::thread([this] { ReadAhead(); });
    } catch (const std::system_error&) {
        // No thread to be had: each block is read when it is asked for.
        slots_.erase(slots_.begin() + 1, slots_.end());
    }
}

TransformingReader::~TransformingReader() { Stop(); }

bool TransformingReader::WorthReadingAhead(const BinaryFile& source, std::uint64_t dataCount) {
    return dataCount > BlockBuffer::kRunBlockSize && ProcessorsOfThisProcess() > 1 &&
           !LooksInMemory(source.Descriptor(), source.Size());
}

void TransformingReader::Stop() {
    if (!reader_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    readerMayGoOn_.notify_one();
    reader_.join();
}

TransformingReader::Block TransformingReader::Next() {
    Slot& slot = slots_[handedOut_ % slots_.size()];
    if (reader_.joinable()) {
        WaitForFilledSlot();
    } else {
        FillSlot(slot);
    }
    ++handedOut_;
    if (slot.failure) std::rethrow_exception(slot.failure);
    return {slot.data, slot.count};
}

void TransformingReader::FillSlot(Slot& slot) {
    slot.count =
        static_cast<std::size_t>(std::min<std::uint64_t>(nextCount_, dataCount_ - readSoFar_));
    nextCount_ = BlockBuffer::kRunBlockSize;
    try {
        source_.ReadExactly(slot.data, slot.count);
        keystream_.Apply(slot.data, slot.count);
    } catch (...) {
        slot.failure = std::current_exception();
    }
    readSoFar_ += slot.count;
}

void TransformingReader::ReadAhead() {
    for (std::uint64_t index = 0; readSoFar_ < dataCount_; ++index) {
        if (!WaitForFreeSlot(index)) return;
        Slot& slot = slots_[index % kRingSize];
        FillSlot(slot);
        Publish(index + 1, slot.failure || readSoFar_ >= dataCount_);
        if (slot.failure) return;
    }
}

// A full ring waits until half of it is free, and an empty one until half of it is full, so the
// two threads wake each other every few blocks, not at every block.
bool TransformingReader::WaitForFreeSlot(std::uint64_t index) {
    std::unique_lock lock(mutex_);
    if (index >= released_ + kRingSize) {
        readerWaitsForReleased_ = index - kRingSize / 2;
        readerMayGoOn_.wait(lock,
                            [&] { return stopping_ || released_ >= *readerWaitsForReleased_; });
        readerWaitsForReleased_.reset();
    }
    return !stopping_;
}

void TransformingReader::Publish(std::uint64_t filled, bool ended) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        filled_ = filled;
        readingEnded_ = ended;
        wake = writerWaitsForFilled_ && (filled_ >= *writerWaitsForFilled_ || ended);
    }
    if (wake) writerMayGoOn_.notify_one();
}

// Hands back the block given out before, then waits until the next one is in the ring.
void TransformingReader::WaitForFilledSlot() {
    std::unique_lock lock(mutex_);
    released_ = handedOut_;
    if (readerWaitsForReleased_ && released_ >= *readerWaitsForReleased_) {
        readerMayGoOn_.notify_one();
    }
    if (filled_ > handedOut_) return;
    writerWaitsForFilled_ = handedOut_ + kRingSize / 2;
    writerMayGoOn_.wait(lock, [&] {
        return filled_ >= *writerWaitsForFilled_ || (readingEnded_ && filled_ > handedOut_);
    });
    writerWaitsForFilled_.reset();
}

}  // namespace korvel
