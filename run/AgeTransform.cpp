#include "AgeTransform.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "AgeKeys.h"
#include "ProcessorCount.h"
#include "cipher/age/AgeDecryptor.h"
#include "cipher/age/AgeHeader.h"

namespace korvel {

namespace {

using age::AgeError;
using age::AgeErrorKind;
using age::PayloadCipher;

constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kHalfPage = kPageSize / 2;
constexpr std::size_t kFirstHeaderRead = std::size_t{64} << 10;

// Where in a page-aligned buffer to put bytes that belong at filePosition of their file: half a
// page away from the file's pages.
std::size_t PlaceFor(std::uint64_t filePosition) {
    return static_cast<std::size_t>((filePosition + kHalfPage) % kPageSize);
}

// A small file's buffers hold what it needs: a set of many small files would otherwise map fresh
// pages for every file.
std::size_t BlockBytes(std::uint64_t chunkCount) {
    return static_cast<std::size_t>(
               std::min<std::uint64_t>(chunkCount, AgeTransform::kChunksPerBlock)) *
           PayloadCipher::kSealedChunkSize;
}

std::size_t BufferFor(std::size_t blockBytes, std::size_t extra = 0) {
    return blockBytes + extra + kPageSize;
}

// The header at the source's start, read in growing stretches until it ends.
age::AgeHeader::Parsed ReadHeader(BinaryFile& source) {
    age::Bytes bytes;
    std::size_t want = kFirstHeaderRead;
    while (true) {
        const auto count = static_cast<std::size_t>(
            std::min<std::uint64_t>(source.Size(), std::min(want, age::AgeHeader::kMaxSize + 1)));
        const std::size_t had = bytes.size();
        bytes.resize(count);
        source.ReadExactly(bytes.data() + had, count - had);
        const bool atEnd = count == source.Size() || count > age::AgeHeader::kMaxSize;
        if (auto parsed = age::AgeHeader::Parse(bytes, atEnd)) return std::move(*parsed);
        want *= 4;
    }
}

}  // namespace

bool AgeTransform::StartsAgeFile(BinaryFile& source) {
    std::uint8_t head[age::AgeHeader::kVersionPrefix.size()];
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof head, source.Size()));
    source.Seek(0);
    source.ReadExactly(head, count);
    source.Seek(0);
    return age::AgeHeader::StartsAgeFile(age::ByteView(head, count));
}

AgeTransform::Slot::Slot(std::size_t inputBytes, std::size_t outputBytes)
    : input(inputBytes), output(outputBytes) {}

AgeTransform::AgeTransform(BinaryFile& source, bool encrypting, std::uint64_t chunkCount,
                           std::size_t prefixSize)
    : source_(source),
      encrypting_(encrypting),
      chunkCount_(chunkCount),
      work_(chunkCount > kChunksPerBlock && ProcessorsOfThisProcess() > 1) {
    const std::size_t blockBytes = BlockBytes(chunkCount);
    // The first block's output holds the header too; a later one can be the first of none.
    slots_[0] = std::make_unique<Slot>(BufferFor(blockBytes), BufferFor(blockBytes, prefixSize));
    if (work_.HasSecondThread()) {
        slots_[1] = std::make_unique<Slot>(BufferFor(blockBytes), BufferFor(blockBytes));
    }
}

AgeTransform::~AgeTransform() {
    // The block being transformed ahead is finished before its buffers go.
    if (ahead_) work_.Wait();
}

void AgeTransform::StartCiphers(const age::Key32& payloadKey) {
    ciphers_[0].emplace(payloadKey);
    if (work_.HasSecondThread()) ciphers_[1].emplace(payloadKey);
}

std::unique_ptr<AgeTransform> AgeTransform::Encryption(BinaryFile& source, AgeKeys& keys) {
    age::AgeFileKeys fileKeys = keys.FileKeys();
    std::unique_ptr<AgeTransform> transform(new AgeTransform(
        source, true, PayloadCipher::ChunkCount(source.Size()), fileKeys.prefix.size()));
    transform->StartCiphers(fileKeys.payloadKey);
    transform->prefix_ = std::move(fileKeys.prefix);
    transform->targetLength_ = transform->prefix_.size() +
                               PayloadCipher::PayloadSize(source.Size()) -
                               PayloadCipher::kNonceSize;
    return transform;
}

std::unique_ptr<AgeTransform> AgeTransform::Decryption(BinaryFile& source, AgeKeys& keys) {
    const age::AgeHeader::Parsed parsed = ReadHeader(source);
    const age::FileKey fileKey = age::AgeDecryptor::OpenHeader(parsed.header, keys.Identities());
    const std::uint64_t payloadStart = parsed.size + PayloadCipher::kNonceSize;
    if (source.Size() <= payloadStart) {
        throw AgeError(AgeErrorKind::Truncated, "the file ends within its nonce or before a chunk");
    }
    PayloadCipher::PayloadNonce nonce;
    source.Seek(parsed.size);
    source.ReadExactly(nonce.data(), nonce.size());

    const std::uint64_t sealed = source.Size() - payloadStart;
    const std::uint64_t chunks =
        (sealed + PayloadCipher::kSealedChunkSize - 1) / PayloadCipher::kSealedChunkSize;
    std::unique_ptr<AgeTransform> transform(new AgeTransform(source, false, chunks, 0));
    transform->StartCiphers(PayloadCipher::PayloadKey(fileKey, nonce));
    transform->sourceStart_ = transform->sourcePosition_ = payloadStart;
    transform->payloadEnd_ = source.Size();
    transform->targetLength_ = sealed - std::min(sealed, chunks * age::kTagSize);
    return transform;
}

// Each block but the first is read while the one before it is handed out, and sealed or opened
// on the second thread while whoever drives the run writes the one before it.
AgeTransform::Block AgeTransform::Next() {
    Slot& slot = *slots_[current_];
    if (ahead_) {
        ahead_ = false;
        work_.Wait();
        if (aheadFault_) std::rethrow_exception(std::exchange(aheadFault_, nullptr));
    } else {
        Read(slot);
        Transform(slot, *ciphers_[0]);
    }
    if (slot.failure) {
        throw AgeError(*slot.failure, "chunk near " + std::to_string(slot.firstChunk));
    }
    chunksDone_ += slot.chunks;
    if (chunksRead_ < chunkCount_ && work_.HasSecondThread()) StartAhead(*slots_[1 - current_]);
    if (slots_[1]) current_ = 1 - current_;
    return {slot.start, slot.count, slot.sourceEnd};
}

void AgeTransform::StartAhead(Slot& next) {
    Read(next);
    aheadWork_ = [this, &next] {
        try {
            Transform(next, *ciphers_[1]);
        } catch (...) {
            aheadFault_ = std::current_exception();
        }
    };
    work_.Start(aheadWork_);
    ahead_ = true;
}

void AgeTransform::Read(Slot& slot) {
    slot.firstChunk = chunksRead_;
    slot.chunks = static_cast<std::size_t>(
        std::min<std::uint64_t>(kChunksPerBlock, chunkCount_ - chunksRead_));
    slot.failure.reset();
    chunksRead_ += slot.chunks;
    const std::uint64_t end = encrypting_ ? source_.Size() : payloadEnd_;
    const std::size_t perChunk =
        encrypting_ ? PayloadCipher::kChunkSize : PayloadCipher::kSealedChunkSize;
    const auto bytes = static_cast<std::size_t>(
        std::min<std::uint64_t>(slot.chunks * perChunk, end - sourcePosition_));
    std::uint8_t* in = slot.input.Data() + PlaceFor(sourcePosition_);
    source_.ReadExactly(in, bytes);
    slot.in = in;
    sourcePosition_ += bytes;
    slot.sourceEnd = sourcePosition_;
    slot.start = slot.output.Data() + PlaceFor(targetPosition_);
    const std::size_t tags = slot.chunks * age::kTagSize;
    if (encrypting_) {
        slot.lastSize = bytes - (slot.chunks - 1) * PayloadCipher::kChunkSize + age::kTagSize;
        std::memcpy(slot.start, prefix_.data(), prefix_.size());
        slot.out = slot.start + prefix_.size();
        slot.count = prefix_.size() + bytes + tags;
        prefix_.clear();
    } else {
        slot.lastSize = bytes - (slot.chunks - 1) * PayloadCipher::kSealedChunkSize;
        slot.out = slot.start;
        slot.count = bytes - std::min(bytes, tags);  // a cut last chunk fails before it counts
    }
    targetPosition_ += slot.count;
}

void AgeTransform::Transform(Slot& slot, PayloadCipher& cipher) {
    for (std::size_t chunk = 0; chunk < slot.chunks && !slot.failure; ++chunk) {
        if (encrypting_) {
            SealChunk(slot, chunk, cipher);
        } else {
            slot.failure = OpenChunk(slot, chunk, cipher);
        }
    }
}

void AgeTransform::SealChunk(Slot& slot, std::size_t inBlock, PayloadCipher& cipher) const {
    const bool last = inBlock + 1 == slot.chunks;
    const std::size_t plain = last ? slot.lastSize - age::kTagSize : PayloadCipher::kChunkSize;
    cipher.SealChunk(
        slot.firstChunk + inBlock, IsFinal(slot, inBlock),
        age::ByteView(slot.in + inBlock * PayloadCipher::kChunkSize, plain),
        std::span(slot.out + inBlock * PayloadCipher::kSealedChunkSize, plain + age::kTagSize));
}

// A chunk that opens only under the other last flag says whether the file was cut or has more
// than it should.
std::optional<AgeErrorKind> AgeTransform::OpenChunk(Slot& slot, std::size_t inBlock,
                                                    PayloadCipher& cipher) const {
    const bool lastInBlock = inBlock + 1 == slot.chunks;
    const std::size_t size = lastInBlock ? slot.lastSize : PayloadCipher::kSealedChunkSize;
    const std::uint64_t counter = slot.firstChunk + inBlock;
    const bool final = IsFinal(slot, inBlock);
    if (size < age::kTagSize) return AgeErrorKind::Truncated;
    const age::ByteView sealed(slot.in + inBlock * PayloadCipher::kSealedChunkSize, size);
    const std::span plain(slot.out + inBlock * PayloadCipher::kChunkSize, size - age::kTagSize);
    if (cipher.OpenChunk(counter, final, sealed, plain)) {
        if (final && plain.empty() && counter > 0) return AgeErrorKind::PayloadDamaged;
        return std::nullopt;
    }
    const bool otherFlag = (final ? size == PayloadCipher::kSealedChunkSize : true) &&
                           cipher.OpenChunk(counter, !final, sealed, plain);
    if (!otherFlag) return AgeErrorKind::PayloadDamaged;
    return final ? AgeErrorKind::Truncated : AgeErrorKind::TrailingData;
}

}  // namespace korvel
