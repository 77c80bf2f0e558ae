#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "BlockBuffer.h"
#include "PairedWork.h"
#include "cipher/age/AgeError.h"
#include "cipher/age/PayloadCipher.h"
#include "files/BinaryFile.h"

namespace korvel {

class AgeKeys;

// The age format's side of a run: turns its source, a few chunks at a time, into the bytes of
// its target. Encrypting, each file gets a fresh file key, ephemeral share and payload nonce
// (AgeEncryptor); decrypting, the header is read and opened before anything is written.
//
// The chunks of a payload are independent, so a payload of more than one block is pipelined: each
// block after the first is read while the one before it is handed out, then sealed or opened on a
// second thread (PairedWork) while whoever drives the run writes the one before it, so the
// system's copies and the cipher overlap. Each thread has a PayloadCipher of its own.
// Every read and write is placed half a page away from its file's pages in memory
// (TransformingReader.cpp says why), whatever the header's length.
class AgeTransform {
public:
    // Chunks read, sealed or opened and written at a time: 256 KiB.
    static constexpr std::size_t kChunksPerBlock = 4;

    struct Block {
        const std::uint8_t* data;
        std::size_t count;
        std::uint64_t sourceEnd;  // the source's bytes read so far
    };

    // Whether the source's first bytes say it is an age file; leaves it at its start.
    static bool StartsAgeFile(BinaryFile& source);

    // Encrypting the source for the keys' recipient.
    static std::unique_ptr<AgeTransform> Encryption(BinaryFile& source, AgeKeys& keys);
    // Decrypting: reads the source's header and payload nonce and opens the header with the
    // keys' identities. Throws AgeError when the header is not well-formed or does not open.
    static std::unique_ptr<AgeTransform> Decryption(BinaryFile& source, AgeKeys& keys);

    AgeTransform(const AgeTransform&) = delete;
    AgeTransform& operator=(const AgeTransform&) = delete;
    ~AgeTransform();

    std::uint64_t TargetLength() const { return targetLength_; }
    // The source's bytes read before the first block (an age file's header and nonce).
    std::uint64_t SourceStart() const { return sourceStart_; }
    bool Finished() const { return chunksDone_ == chunkCount_; }
    // The target's bytes for the next few chunks; the block handed out before may be reused from
    // now on. Throws AgeError for a chunk that does not open and FileError for a failed read.
    Block Next();

private:
    // One block on its way from the source to the target.
    struct Slot {
        Slot(std::size_t inputBytes, std::size_t outputBytes);
        BlockBuffer input;
        BlockBuffer output;
        const std::uint8_t* in = nullptr;  // the block's bytes of the source
        std::uint8_t* start = nullptr;     // the block's bytes of the target
        std::uint8_t* out = nullptr;       // where its chunks go in them (after the header)
        std::uint64_t firstChunk = 0;
        std::size_t chunks = 0;
        std::size_t lastSize = 0;  // of its last chunk, sealed
        std::size_t count = 0;     // of the target's bytes
        std::uint64_t sourceEnd = 0;
        // Decrypting: the first chunk that did not open, and why.
        std::optional<age::AgeErrorKind> failure;
    };

    AgeTransform(BinaryFile& source, bool encrypting, std::uint64_t chunkCount,
                 std::size_t prefixSize);
    void StartCiphers(const age::Key32& payloadKey);
    void StartAhead(Slot& next);
    void Read(Slot& slot);
    void Transform(Slot& slot, age::PayloadCipher& cipher);
    void SealChunk(Slot& slot, std::size_t inBlock, age::PayloadCipher& cipher) const;
    std::optional<age::AgeErrorKind> OpenChunk(Slot& slot, std::size_t inBlock,
                                               age::PayloadCipher& cipher) const;
    bool IsFinal(const Slot& slot, std::size_t inBlock) const {
        return slot.firstChunk + inBlock + 1 == chunkCount_;
    }

    BinaryFile& source_;
    const bool encrypting_;
    std::uint64_t chunkCount_;
    std::uint64_t chunksRead_ = 0;
    std::uint64_t chunksDone_ = 0;
    std::uint64_t sourceStart_ = 0;
    std::uint64_t sourcePosition_ = 0;
    std::uint64_t targetPosition_ = 0;
    std::uint64_t targetLength_ = 0;
    std::uint64_t payloadEnd_ = 0;    // decrypting: the source's length
    age::Bytes prefix_;               // encrypting: the header and nonce, out with the first chunks
    std::unique_ptr<Slot> slots_[2];  // the second only with a second thread
    int current_ = 0;                 // the slot the next block is handed out from
    bool ahead_ = false;              // the next block is being sealed or opened ahead
    std::function<void()> aheadWork_;
    std::exception_ptr aheadFault_;
    std::optional<age::PayloadCipher> ciphers_[2];
    PairedWork work_;  // last: its thread ends before anything it uses
};

}  // namespace korvel
