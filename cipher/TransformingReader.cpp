#include "TransformingReader.h"

#include <algorithm>

#include "ProcessorCount.h"

namespace korvel {

TransformingReader::TransformingReader(BinaryFile& source, Keystream& keystream,
                                       std::uint64_t dataCount, std::size_t firstCount,
                                       bool readAhead)
    : source_(source), keystream_(keystream), dataCount_(dataCount), nextCount_(firstCount) {
    const auto slotSize = static_cast<std::size_t>(
        std::min<std::uint64_t>(BlockBuffer::kRunBlockSize, std::max<std::uint64_t>(dataCount, 1)));
    const std::uint64_t slotCount = readAhead ? kRingSize : 1;
    for (std::uint64_t i = 0; i < slotCount; ++i)
        slots_.push_back(std::make_unique<Slot>(slotSize));
    if (readAhead) reader_ = std::thread([this] { ReadAhead(); });
}

TransformingReader::~TransformingReader() { Stop(); }

bool TransformingReader::WorthReadingAhead(std::uint64_t dataCount) {
    return getenv("NOAHEAD") == nullptr && dataCount > BlockBuffer::kRunBlockSize && ProcessorsOfThisProcess() > 1;
}

void TransformingReader::Stop() {
    if (!reader_.joinable()) return;
    stopping_.store(true);
    released_.fetch_add(kRingSize);  // wakes a reader waiting for a free slot
    released_.notify_one();
    reader_.join();
}

TransformingReader::Block TransformingReader::Next() {
    Slot& slot = *slots_[handedOut_ % slots_.size()];
    if (reader_.joinable()) {
        if (handedOut_ > 0) {
            released_.store(handedOut_, std::memory_order_release);
            released_.notify_one();
        }
        WaitForFilledSlot();
    } else {
        FillSlot(slot);
    }
    ++handedOut_;
    if (slot.failure) std::rethrow_exception(slot.failure);
    return {slot.buffer.Data(), slot.count};
}

void TransformingReader::FillSlot(Slot& slot) {
    slot.count =
        static_cast<std::size_t>(std::min<std::uint64_t>(nextCount_, dataCount_ - readSoFar_));
    nextCount_ = BlockBuffer::kRunBlockSize;
    try {
        source_.ReadExactly(slot.buffer.Data(), slot.count);
        keystream_.Apply(slot.buffer.Data(), slot.count);
    } catch (...) {
        slot.failure = std::current_exception();
    }
    readSoFar_ += slot.count;
}

void TransformingReader::ReadAhead() {
    for (std::uint64_t index = 0; readSoFar_ < dataCount_; ++index) {
        if (!WaitForFreeSlot(index)) return;
        Slot& slot = *slots_[index % kRingSize];
        FillSlot(slot);
        if (slot.failure || readSoFar_ >= dataCount_) readingEnded_.store(true);
        filled_.store(index + 1, std::memory_order_release);
        filled_.notify_one();
        if (slot.failure) return;
    }
}

// A full ring waits until half of it is free, and an empty one until half of it is full, so the
// two threads wake each other every few blocks, not at every block.
bool TransformingReader::WaitForFreeSlot(std::uint64_t index) {
    if (index < released_.load(std::memory_order_acquire) + kRingSize) return !stopping_.load();
    for (std::uint64_t released = released_.load(std::memory_order_acquire);
         index + kRingSize / 2 > released + kRingSize && !stopping_.load();
         released = released_.load(std::memory_order_acquire)) {
        released_.wait(released, std::memory_order_acquire);
    }
    return !stopping_.load();
}

void TransformingReader::WaitForFilledSlot() {
    if (filled_.load(std::memory_order_acquire) > handedOut_) return;
    const std::uint64_t wanted = handedOut_ + kRingSize / 2;
    for (std::uint64_t filled = filled_.load(std::memory_order_acquire);
         filled < wanted && !(filled > handedOut_ && readingEnded_.load());
         filled = filled_.load(std::memory_order_acquire)) {
        filled_.wait(filled, std::memory_order_acquire);
    }
}

}  // namespace korvel
