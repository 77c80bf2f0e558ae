#pragma once

#include <vector>

#include "AgeHeader.h"
#include "FileKey.h"
#include "PayloadCipher.h"
#include "X25519Identity.h"

namespace korvel::age {

// Reads one age file with a set of X25519 identities.
//
// Streaming: Write takes the file's bytes in blocks of any size and appends the plaintext of
// every chunk that authenticated; Finish checks the end (a final chunk, nothing after it).
// Every fault throws AgeError. Plaintext given before a later fault is not authenticated as a
// whole file: the caller keeps it private until Finish returns.
//
// In parallel: parse the header with AgeHeader::Parse, take the key with OpenHeader, and open
// chunk i of the payload with a PayloadCipher of PayloadKey(file key, nonce).
class AgeDecryptor {
public:
    explicit AgeDecryptor(std::vector<X25519Identity> identities);

    // The file key of a header: unwrapped by one of the identities, and the header MAC checked.
    static FileKey OpenHeader(const AgeHeader& header,
                              const std::vector<X25519Identity>& identities);

    void Write(ByteView bytes, Bytes& out);
    void Finish(Bytes& out);

    // The header, once Write has been given all of it.
    const AgeHeader* Header() const { return parsed_ ? &parsed_->header : nullptr; }

private:
    enum class Stage { Header, Nonce, Chunks, Done };

    // True once the header is read and opened; afterHeader then holds the bytes that followed.
    bool TakeHeader(ByteView bytes, Bytes& afterHeader);
    ByteView TakeNonce(ByteView bytes);
    void TakeChunks(ByteView bytes, Bytes& out);
    void OpenFullChunk(ByteView sealed, Bytes& out);
    void OpenFinalChunk(ByteView sealed, Bytes& out);

    std::vector<X25519Identity> identities_;
    Stage stage_ = Stage::Header;
    Bytes buffer_;
    std::size_t headerSearchFrom_ = 0;
    std::optional<AgeHeader::Parsed> parsed_;
    FileKey fileKey_{};
    PayloadCipher::PayloadNonce nonce_{};
    std::optional<PayloadCipher> cipher_;
    std::uint64_t counter_ = 0;
};

}  // namespace korvel::age
