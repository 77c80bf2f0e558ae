#pragma once

#include <cstddef>
#include <cstdint>
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
// The chunks of a payload are independent, so each stretch is sealed or opened half on the
// calling thread and half on a second one (PairedWork), each with a PayloadCipher of its own.
// Every read and write is placed half a page away from its file's pages in memory
// (TransformingReader.cpp says why), whatever the header's length.
class AgeTransform {
public:
    // Chunks read, sealed or opened and written at a time: 256 KiB, half on each thread. Larger
    // blocks measured no faster, and each thread's share stays in its core's cache.
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

    std::uint64_t TargetLength() const { return targetLength_; }
    // The source's bytes read before the first block (an age file's header and nonce).
    std::uint64_t SourceStart() const { return sourceStart_; }
    bool Finished() const { return chunksDone_ == chunkCount_; }
    // The target's bytes for the next few chunks; the block handed out before may be reused from
    // now on. Throws AgeError for a chunk that does not open and FileError for a failed read.
    Block Next();

private:
    AgeTransform(BinaryFile& source, bool encrypting, std::uint64_t chunkCount,
                 std::size_t prefixSize);
    void StartCiphers(const age::Key32& payloadKey);
    Block NextSealed();
    Block NextOpened();
    // Calls work(from, to, share) for this block's chunks, half on each thread.
    void Split(const std::function<void(std::size_t from, std::size_t to, int share)>& work);
    void SealChunk(std::size_t inBlock, age::PayloadCipher& cipher);
    std::optional<age::AgeErrorKind> OpenChunk(std::size_t inBlock, age::PayloadCipher& cipher);
    bool IsFinal(std::size_t inBlock) const { return chunksDone_ + inBlock + 1 == chunkCount_; }

    BinaryFile& source_;
    const bool encrypting_;
    std::uint64_t chunkCount_;
    std::uint64_t chunksDone_ = 0;
    std::uint64_t sourceStart_ = 0;
    std::uint64_t sourcePosition_ = 0;
    std::uint64_t targetPosition_ = 0;
    std::uint64_t targetLength_ = 0;
    std::uint64_t payloadEnd_ = 0;  // decrypting: the source's length
    age::Bytes prefix_;             // encrypting: the header and nonce, out with the first chunks
    BlockBuffer input_;
    BlockBuffer output_;
    const std::uint8_t* in_ = nullptr;  // this block's bytes of the source
    std::uint8_t* out_ = nullptr;       // this block's chunks in the target
    std::size_t blockChunks_ = 0;
    std::size_t lastSealedSize_ = 0;  // of this block's last chunk
    std::optional<age::PayloadCipher> ciphers_[2];
    // Decrypting: the first chunk of each half that did not open, and why.
    std::optional<age::AgeErrorKind> failures_[2];
    PairedWork work_;
};

}  // namespace korvel
