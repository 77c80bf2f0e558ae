#include "AgeTransform.h"

#include <algorithm>
#include <cstring>

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

AgeTransform::AgeTransform(BinaryFile& source, bool encrypting, std::uint64_t chunkCount,
                           std::size_t prefixSize)
    : source_(source),
      encrypting_(encrypting),
      chunkCount_(chunkCount),
      input_(BufferFor(BlockBytes(chunkCount))),
      output_(BufferFor(BlockBytes(chunkCount), prefixSize)),
      work_(chunkCount > 1 && ProcessorsOfThisProcess() > 1) {}

void AgeTransform::StartCiphers(const age::Key32& payloadKey) {
    ciphers_[0].emplace(payloadKey);
    // A payload of one chunk, as every small file's, is sealed or opened on this thread alone.
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

AgeTransform::Block AgeTransform::Next() {
    blockChunks_ = static_cast<std::size_t>(
        std::min<std::uint64_t>(kChunksPerBlock, chunkCount_ - chunksDone_));
    const Block block = encrypting_ ? NextSealed() : NextOpened();
    chunksDone_ += blockChunks_;
    return block;
}

AgeTransform::Block AgeTransform::NextSealed() {
    const auto plain = static_cast<std::size_t>(std::min<std::uint64_t>(
        blockChunks_ * PayloadCipher::kChunkSize, source_.Size() - sourcePosition_));
    std::uint8_t* in = input_.Data() + PlaceFor(sourcePosition_);
    source_.ReadExactly(in, plain);
    in_ = in;
    lastSealedSize_ = plain - (blockChunks_ - 1) * PayloadCipher::kChunkSize + age::kTagSize;

    std::uint8_t* start = output_.Data() + PlaceFor(targetPosition_);
    std::memcpy(start, prefix_.data(), prefix_.size());
    out_ = start + prefix_.size();
    Split([this](std::size_t from, std::size_t to, int share) {
        for (std::size_t chunk = from; chunk < to; ++chunk) SealChunk(chunk, *ciphers_[share]);
    });
    const std::size_t count = prefix_.size() + plain + blockChunks_ * age::kTagSize;
    prefix_.clear();
    sourcePosition_ += plain;
    targetPosition_ += count;
    return {start, count, sourcePosition_};
}

AgeTransform::Block AgeTransform::NextOpened() {
    const auto sealed = static_cast<std::size_t>(std::min<std::uint64_t>(
        blockChunks_ * PayloadCipher::kSealedChunkSize, payloadEnd_ - sourcePosition_));
    std::uint8_t* in = input_.Data() + PlaceFor(sourcePosition_);
    source_.ReadExactly(in, sealed);
    in_ = in;
    lastSealedSize_ = sealed - (blockChunks_ - 1) * PayloadCipher::kSealedChunkSize;
    out_ = output_.Data() + PlaceFor(targetPosition_);
    Split([this](std::size_t from, std::size_t to, int share) {
        failures_[share].reset();
        for (std::size_t chunk = from; chunk < to && !failures_[share]; ++chunk) {
            failures_[share] = OpenChunk(chunk, *ciphers_[share]);
        }
    });
    // The first half's failure comes first in the file.
    for (const auto& failure : failures_) {
        if (failure) throw AgeError(*failure, "chunk near " + std::to_string(chunksDone_));
    }
    const std::size_t count = sealed - blockChunks_ * age::kTagSize;
    sourcePosition_ += sealed;
    targetPosition_ += count;
    return {out_, count, sourcePosition_};
}

void AgeTransform::Split(
    const std::function<void(std::size_t from, std::size_t to, int share)>& work) {
    const std::size_t half = (blockChunks_ + 1) / 2;
    if (blockChunks_ < 2 || !work_.HasSecondThread()) {
        work(0, blockChunks_, 0);
        return;
    }
    work_.Run([&](int share) {
        if (share == 0) {
            work(0, half, 0);
        } else {
            work(half, blockChunks_, 1);
        }
    });
}

void AgeTransform::SealChunk(std::size_t inBlock, PayloadCipher& cipher) {
    const bool last = inBlock + 1 == blockChunks_;
    const std::size_t plain = last ? lastSealedSize_ - age::kTagSize : PayloadCipher::kChunkSize;
    cipher.SealChunk(
        chunksDone_ + inBlock, IsFinal(inBlock),
        age::ByteView(in_ + inBlock * PayloadCipher::kChunkSize, plain),
        std::span(out_ + inBlock * PayloadCipher::kSealedChunkSize, plain + age::kTagSize));
}

// A chunk that opens only under the other last flag says whether the file was cut or has more
// than it should.
std::optional<AgeErrorKind> AgeTransform::OpenChunk(std::size_t inBlock, PayloadCipher& cipher) {
    const bool lastInBlock = inBlock + 1 == blockChunks_;
    const std::size_t size = lastInBlock ? lastSealedSize_ : PayloadCipher::kSealedChunkSize;
    const std::uint64_t counter = chunksDone_ + inBlock;
    const bool final = IsFinal(inBlock);
    if (size < age::kTagSize) return AgeErrorKind::Truncated;
    const age::ByteView sealed(in_ + inBlock * PayloadCipher::kSealedChunkSize, size);
    const std::span plain(out_ + inBlock * PayloadCipher::kChunkSize, size - age::kTagSize);
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
