#include "AgeDecryptor.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string_view>

#include "AgeError.h"

namespace korvel::age {
namespace {

constexpr std::string_view kScryptType = "scrypt";
constexpr std::string_view kMacLineStart = "\n---";

std::string TypesOf(const std::vector<Stanza>& stanzas) {
    std::set<std::string> types;
    for (const Stanza& stanza : stanzas) types.insert(stanza.Type());
    std::string text;
    for (const std::string& type : types) text += (text.empty() ? "" : ", ") + type;
    return text;
}

void CheckScryptAlone(const std::vector<Stanza>& stanzas) {
    const bool hasScrypt = std::any_of(stanzas.begin(), stanzas.end(),
                                       [](const Stanza& s) { return s.Type() == kScryptType; });
    if (hasScrypt && stanzas.size() > 1) {
        throw AgeError(AgeErrorKind::MalformedHeader, "a passphrase stanza is not alone");
    }
}

std::optional<FileKey> UnwrapAny(const AgeHeader& header,
                                 const std::vector<X25519Identity>& identities) {
    for (const Stanza& stanza : header.Stanzas()) {
        for (const X25519Identity& identity : identities) {
            if (std::optional<FileKey> key = identity.Unwrap(stanza)) return key;
        }
    }
    return std::nullopt;
}

}  // namespace

AgeDecryptor::AgeDecryptor(std::vector<X25519Identity> identities)
    : identities_(std::move(identities)) {}

FileKey AgeDecryptor::OpenHeader(const AgeHeader& header,
                                 const std::vector<X25519Identity>& identities) {
    const std::vector<Stanza>& stanzas = header.Stanzas();
    CheckScryptAlone(stanzas);
    std::optional<FileKey> fileKey = UnwrapAny(header, identities);
    if (!fileKey) {
        const bool hasX25519 = std::any_of(stanzas.begin(), stanzas.end(), [](const Stanza& s) {
            return s.Type() == X25519Recipient::kStanzaType;
        });
        if (hasX25519) {
            throw AgeError(AgeErrorKind::NoIdentityMatches, "no stanza opens with this identity");
        }
        throw AgeError(AgeErrorKind::OtherRecipientKind, TypesOf(stanzas));
    }
    const Key32 expected =
        primitives::HmacSha256(primitives::Hkdf(*fileKey, {}, "header"), header.MacInput());
    if (!primitives::ConstantTimeEqual(expected, header.Mac())) {
        throw AgeError(AgeErrorKind::HeaderMacWrong, "the header was changed");
    }
    return *fileKey;
}

void AgeDecryptor::Write(ByteView bytes, Bytes& out) {
    if (stage_ == Stage::Done) throw std::logic_error("age file read after its end");
    Bytes afterHeader;
    if (stage_ == Stage::Header) {
        if (!TakeHeader(bytes, afterHeader)) return;
        bytes = afterHeader;
    }
    if (stage_ == Stage::Nonce) bytes = TakeNonce(bytes);
    if (stage_ == Stage::Chunks) TakeChunks(bytes, out);
}

bool AgeDecryptor::TakeHeader(ByteView bytes, Bytes& afterHeader) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    AgeHeader::CheckStart(buffer_);
    // The header ends with the first line that starts with "---"; it is parsed once that line is
    // complete, so a header that comes in many blocks is still read once.
    const std::string_view text(reinterpret_cast<const char*>(buffer_.data()), buffer_.size());
    const std::size_t macLine = text.find(kMacLineStart, headerSearchFrom_);
    if (macLine == std::string_view::npos ||
        text.find('\n', macLine + 1) == std::string_view::npos) {
        if (buffer_.size() > AgeHeader::kMaxSize) {
            throw AgeError(AgeErrorKind::HeaderTooLarge, "no end within the limit");
        }
        headerSearchFrom_ = macLine != std::string_view::npos
                                ? macLine
                                : buffer_.size() - std::min(buffer_.size(), kMacLineStart.size());
        return false;
    }
    parsed_ = AgeHeader::Parse(buffer_, true);
    fileKey_ = OpenHeader(parsed_->header, identities_);
    stage_ = Stage::Nonce;
    afterHeader.assign(buffer_.begin() + parsed_->size, buffer_.end());
    buffer_.clear();
    return true;
}

ByteView AgeDecryptor::TakeNonce(ByteView bytes) {
    const std::size_t take = std::min(bytes.size(), PayloadCipher::kNonceSize - buffer_.size());
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.begin() + take);
    if (buffer_.size() < PayloadCipher::kNonceSize) return {};
    std::copy(buffer_.begin(), buffer_.end(), nonce_.begin());
    buffer_.clear();
    cipher_.emplace(PayloadCipher::PayloadKey(fileKey_, nonce_));
    stage_ = Stage::Chunks;
    return bytes.subspan(take);
}

void AgeDecryptor::TakeChunks(ByteView bytes, Bytes& out) {
    // A full sealed chunk is opened only once a byte after it shows that it is not the last; the
    // chunk that may be the last waits in buffer_ for more bytes or for Finish.
    if (!buffer_.empty()) {
        const std::size_t take =
            std::min(bytes.size(), PayloadCipher::kSealedChunkSize - buffer_.size());
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.begin() + take);
        bytes = bytes.subspan(take);
        if (bytes.empty()) return;
        OpenFullChunk(buffer_, out);
        buffer_.clear();
    }
    while (bytes.size() > PayloadCipher::kSealedChunkSize) {
        OpenFullChunk(bytes.first(PayloadCipher::kSealedChunkSize), out);
        bytes = bytes.subspan(PayloadCipher::kSealedChunkSize);
    }
    buffer_.assign(bytes.begin(), bytes.end());
}

void AgeDecryptor::OpenFullChunk(ByteView sealed, Bytes& out) {
    const std::size_t start = out.size();
    out.resize(start + sealed.size() - kTagSize);
    const std::span<std::uint8_t> plain = std::span(out).subspan(start);
    if (cipher_->OpenChunk(counter_, false, sealed, plain)) {
        ++counter_;
        return;
    }
    const bool wasFinal = cipher_->OpenChunk(counter_, true, sealed, plain);
    out.resize(start);
    if (wasFinal) throw AgeError(AgeErrorKind::TrailingData, "bytes after the final chunk");
    throw AgeError(AgeErrorKind::PayloadDamaged, "chunk " + std::to_string(counter_));
}

void AgeDecryptor::Finish(Bytes& out) {
    if (stage_ == Stage::Done) throw std::logic_error("age file finished twice");
    if (stage_ == Stage::Header) {
        if (buffer_.empty()) throw AgeError(AgeErrorKind::NotAgeFile, "the file is empty");
        AgeHeader::Parse(buffer_, true);
        throw AgeError(AgeErrorKind::MalformedHeader, "the header ends early");
    }
    if (stage_ == Stage::Nonce) {
        throw AgeError(AgeErrorKind::Truncated, "the file ends within the header or its nonce");
    }
    OpenFinalChunk(buffer_, out);
    buffer_.clear();
    stage_ = Stage::Done;
}

void AgeDecryptor::OpenFinalChunk(ByteView sealed, Bytes& out) {
    if (sealed.empty()) throw AgeError(AgeErrorKind::Truncated, "no final chunk");
    if (sealed.size() < kTagSize) {
        throw AgeError(AgeErrorKind::Truncated, "the file ends within a chunk's tag");
    }
    const std::size_t start = out.size();
    out.resize(start + sealed.size() - kTagSize);
    const std::span<std::uint8_t> plain = std::span(out).subspan(start);
    if (cipher_->OpenChunk(counter_, true, sealed, plain)) {
        if (plain.empty() && counter_ > 0) {
            out.resize(start);
            throw AgeError(AgeErrorKind::PayloadDamaged, "an empty final chunk after others");
        }
        return;
    }
    const bool fullNotFinal = sealed.size() == PayloadCipher::kSealedChunkSize &&
                              cipher_->OpenChunk(counter_, false, sealed, plain);
    out.resize(start);
    if (fullNotFinal) throw AgeError(AgeErrorKind::Truncated, "no final chunk");
    throw AgeError(AgeErrorKind::PayloadDamaged, "chunk " + std::to_string(counter_));
}

}  // namespace korvel::age
