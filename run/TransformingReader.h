#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "BlockBuffer.h"
#include "cipher/Keystream.h"
#include "files/BinaryFile.h"

namespace korvel {

// Reads a run's data from its source and applies the keystream to it, block by block.
//
// Reading ahead, it does so on a thread of its own, up to a ring of blocks ahead of the thread
// that writes them out. Reading and writing are the two copies a run spends most of its time in;
// this way each has a processor of its own, the transform is done while earlier blocks are
// written, and the writes go on while the reading waits for the disk. On a single processor the
// two threads would only take turns, so there it reads each block when it is asked for. So it
// does for a source in memory already, where no read waits: there two threads copying at once
// cost a quarter more processor time than one, and save elapsed time only on an idle machine.
//
// Blocks come out in order. A failure to read is thrown by Next() at the block where it happened,
// after every block before it, so the writer sees what it would have seen reading for itself.
// The source and the keystream belong to the reader until Stop() or its destruction.
class TransformingReader {
public:
    struct Block {
        const std::uint8_t* data;
        std::size_t count;
    };

    // Reads dataCount bytes from the source's current position: a first block of firstCount
    // bytes, then blocks of BlockBuffer::kRunBlockSize.
    TransformingReader(BinaryFile& source, Keystream& keystream, std::uint64_t dataCount,
                       std::size_t firstCount, bool readAhead);
    TransformingReader(const TransformingReader&) = delete;
    TransformingReader& operator=(const TransformingReader&) = delete;
    ~TransformingReader();

    // Whether reading ahead can win anything here: more than one block, more than one processor,
    // and a source that does not look to be in memory already.
    static bool WorthReadingAhead(const BinaryFile& source, std::uint64_t dataCount);

    // The next block; the one handed out before may be reused from now on.
    Block Next();
    // Stops reading ahead and waits for the reading thread to end.
    void Stop();

private:
    static constexpr std::uint64_t kRingSize = 16;

    struct Slot {
        explicit Slot(std::uint8_t* start) : data(start) {}
        std::uint8_t* data;
        std::size_t count = 0;
        std::exception_ptr failure;
    };

    void FillSlot(Slot& slot);
    void ReadAhead();
    bool WaitForFreeSlot(std::uint64_t index);
    void Publish(std::uint64_t filled, bool ended);
    void WaitForFilledSlot();

    BinaryFile& source_;
    Keystream& keystream_;
    const std::uint64_t dataCount_;
    std::uint64_t readSoFar_ = 0;  // the reading side's
    std::size_t nextCount_;        // the reading side's
    // The ring's blocks in one buffer: giving memory back to the system after another thread has
    // used it interrupts that thread's processor, once for each piece given back.
    BlockBuffer ring_;
    std::vector<Slot> slots_;
    std::uint64_t handedOut_ = 0;  // the writer's

    std::mutex mutex_;  // guards what follows, up to the thread
    std::condition_variable readerMayGoOn_;
    std::condition_variable writerMayGoOn_;
    std::uint64_t filled_ = 0;    // blocks the reading thread has put in the ring
    std::uint64_t released_ = 0;  // blocks the writer has handed back
    bool readingEnded_ = false;   // the last block or a failure is in the ring
    bool stopping_ = false;
    std::optional<std::uint64_t> readerWaitsForReleased_;
    std::optional<std::uint64_t> writerWaitsForFilled_;
    std::thread reader_;
};

}  // namespace korvel
