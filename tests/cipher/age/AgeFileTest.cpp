#include <gtest/gtest.h>

#include <functional>

#include "AgeTestSupport.h"
#include "cipher/age/Base64.h"
#include "cipher/age/PayloadCipher.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

using age::AgeErrorKind;
using age::PayloadCipher;
constexpr std::size_t kChunk = PayloadCipher::kChunkSize;
constexpr std::size_t kSealed = PayloadCipher::kSealedChunkSize;

const age::X25519Identity& Identity() {
    static const age::X25519Identity identity = age::X25519Identity::Generate();
    return identity;
}

Bytes Encrypt(const Bytes& plaintext, std::size_t blockSize = 65536) {
    return AgeEncrypt(Identity().Recipient(), plaintext, blockSize);
}

// Where the payload starts: after the header line "--- mac\n" and the 16-byte nonce.
std::size_t PayloadStart(const Bytes& file) {
    const std::string text = AsText(file);
    return text.find('\n', text.find("\n---") + 1) + 1 + PayloadCipher::kNonceSize;
}

TEST(AgeFile, RoundTripsEverySizeInEveryBlockSize) {
    const std::vector<std::size_t> sizes = {0,          1,          kChunk - 1,     kChunk,
                                            kChunk + 1, 2 * kChunk, 2 * kChunk + 1, 300000};
    for (std::size_t size : sizes) {
        const Bytes plaintext = PatternBytes(size, static_cast<std::uint32_t>(size));
        for (std::size_t block : {std::size_t{7}, kChunk, std::size_t{1} << 20}) {
            SCOPED_TRACE(testing::Message() << "size " << size << ", block " << block);
            const Bytes file = Encrypt(plaintext, block);
            EXPECT_EQ(file.size(), PayloadStart(file) - PayloadCipher::kNonceSize +
                                       PayloadCipher::PayloadSize(size));
            EXPECT_EQ(AgeDecrypt(Identity(), file, block), plaintext);
        }
    }
}

TEST(AgeFile, EachFileHasItsOwnKeyShareAndNonce) {
    const Bytes plaintext = PatternBytes(1000, 1);
    const Bytes first = Encrypt(plaintext);
    const Bytes second = Encrypt(plaintext);
    ASSERT_EQ(first.size(), second.size());
    const std::size_t start = PayloadStart(first);
    EXPECT_NE(Bytes(first.begin(), first.begin() + start),
              Bytes(second.begin(), second.begin() + start));
    EXPECT_NE(Bytes(first.begin() + start, first.end()),
              Bytes(second.begin() + start, second.end()));
}

TEST(AgeFile, OpensForEveryRecipientAndNoOtherIdentity) {
    const age::X25519Identity other = age::X25519Identity::Generate();
    const std::vector<age::X25519Recipient> both = {Identity().Recipient(), other.Recipient()};
    age::AgeEncryptor encryptor(both);
    Bytes file;
    encryptor.Write(AsBytes("for two"), file);
    encryptor.Finish(file);
    EXPECT_EQ(AsText(AgeDecrypt(Identity(), file, 100)), "for two");
    EXPECT_EQ(AsText(AgeDecrypt(other, file, 100)), "for two");
    EXPECT_EQ(AgeFault(age::X25519Identity::Generate(), file), AgeErrorKind::NoIdentityMatches);
}

TEST(AgeFile, FirstBytesTellTheFormat) {
    const std::vector<std::pair<std::string, bool>> rows = {
        {"age-encryption.org/v1\n-> X25519", true},
        {"age-encryption.org/v2\n", true},  // read as age, to say its version is not supported
        {"age-encryption.org", false},      // too short to tell
        {"-----BEGIN AGE ENCRYPTED FILE-----\n", false},
        {std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09"
                     "age-encryption.org/v1",
                     31),
         false},
    };
    for (const auto& [head, isAge] : rows) {
        EXPECT_EQ(age::AgeHeader::StartsAgeFile(AsBytes(head)), isAge) << head;
    }
}

// A header edited as text; the payload after it is kept.
using HeaderEdit = std::function<void(std::string& header)>;

void Replace(std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos) throw std::logic_error("no " + from);
    text.replace(at, from.size(), to);
}

std::string Share(const std::string& header) {
    const std::size_t start = header.find("-> X25519 ") + 10;
    return header.substr(start, header.find('\n', start) - start);
}

struct HeaderRow {
    const char* what;
    HeaderEdit edit;
    std::optional<AgeErrorKind> fault;
};

TEST(AgeFile, EveryHeaderFaultHasItsKind) {
    const std::string fill(64, 'A');
    const std::vector<HeaderRow> rows = {
        {"unchanged", [](std::string&) {}, std::nullopt},
        {"another version", [](std::string& h) { Replace(h, "/v1\n", "/v2\n"); },
         AgeErrorKind::UnsupportedVersion},
        {"carriage return", [](std::string& h) { Replace(h, "/v1\n", "/v1\r\n"); },
         AgeErrorKind::UnsupportedVersion},
        {"not age", [](std::string& h) { Replace(h, "age-encryption.org", "age-encryption.com"); },
         AgeErrorKind::NotAgeFile},
        {"unknown stanza", [](std::string& h) { Replace(h, "---", "-> grease x y\nAAAA\n---"); },
         AgeErrorKind::HeaderMacWrong},
        {"stanza without arguments", [](std::string& h) { Replace(h, "---", "->\n\n---"); },
         AgeErrorKind::MalformedHeader},
        {"empty argument", [](std::string& h) { Replace(h, "---", "-> a  b\n\n---"); },
         AgeErrorKind::MalformedHeader},
        {"no stanza end", [&](std::string& h) { Replace(h, "---", "-> a\n" + fill + "\n---"); },
         AgeErrorKind::MalformedHeader},
        {"full line then empty",
         [&](std::string& h) { Replace(h, "---", "-> a\n" + fill + "\n\n---"); },
         AgeErrorKind::HeaderMacWrong},
        {"line of 65", [&](std::string& h) { Replace(h, "---", "-> a\n" + fill + "A\n\n---"); },
         AgeErrorKind::MalformedHeader},
        {"padded body", [](std::string& h) { Replace(h, "---", "-> a\nAA==\n---"); },
         AgeErrorKind::MalformedHeader},
        {"share padded", [](std::string& h) { Replace(h, Share(h), Share(h) + "="); },
         AgeErrorKind::MalformedHeader},
        {"share not canonical",
         [](std::string& h) {
             std::string share = Share(h);
             const std::string alphabet =
                 "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
             share.back() = alphabet[alphabet.find(share.back()) | 1];
             Replace(h, Share(h), share);
         },
         AgeErrorKind::MalformedHeader},
        {"share all zero", [](std::string& h) { Replace(h, Share(h), std::string(43, 'A')); },
         AgeErrorKind::MalformedHeader},
        {"X25519 extra argument", [](std::string& h) { Replace(h, Share(h), Share(h) + " x"); },
         AgeErrorKind::MalformedHeader},
        {"scrypt beside X25519",
         [](std::string& h) {
             Replace(h, "---", "-> scrypt c2FsdHNhbHRzYWx0c2FsdA 18\nAAAA\n---");
         },
         AgeErrorKind::MalformedHeader},
        {"MAC changed",
         [](std::string& h) {
             char& first = h[h.find("--- ") + 4];
             first = first == 'A' ? 'B' : 'A';
         },
         AgeErrorKind::HeaderMacWrong},
        {"MAC padded",
         [](std::string& h) {
             h.pop_back();
             h += "=\n";
         },
         AgeErrorKind::MalformedHeader},
        {"no space after ---", [](std::string& h) { Replace(h, "--- ", "---"); },
         AgeErrorKind::MalformedHeader},
        {"MAC line missing", [](std::string& h) { h.resize(h.find("---")); },
         AgeErrorKind::MalformedHeader},
        {"header of 5 MiB",
         [&](std::string& h) {
             std::string stanza = "-> big\n";
             for (int i = 0; i < 5 * 16384; ++i) stanza += fill + '\n';
             Replace(h, "---", stanza + "\n---");
         },
         AgeErrorKind::HeaderTooLarge},
    };
    const Bytes file = Encrypt(PatternBytes(100, 2));
    const std::size_t headerEnd = PayloadStart(file) - PayloadCipher::kNonceSize;
    const std::string header = AsText(file).substr(0, headerEnd);
    for (const HeaderRow& row : rows) {
        SCOPED_TRACE(row.what);
        std::string editedHeader = header;
        row.edit(editedHeader);
        Bytes edited = AsBytes(editedHeader);
        edited.insert(edited.end(), file.begin() + headerEnd, file.end());
        EXPECT_EQ(AgeFault(Identity(), edited), row.fault);
        EXPECT_EQ(AgeFault(Identity(), edited, 1 << 20), row.fault);
    }
}

TEST(AgeFile, OtherRecipientKindsAreNamed) {
    const std::string scryptOnly = "age-encryption.org/v1\n-> scrypt c2FsdHNhbHRzYWx0c2FsdA 18\n" +
                                   std::string(43, 'A') + "\n--- " + std::string(43, 'A') + "\n";
    const std::string plugin =
        "age-encryption.org/v1\n-> piv-p256 abc def\nAAAA\n--- " + std::string(43, 'A') + "\n";
    for (const std::string& header : {scryptOnly, plugin}) {
        try {
            AgeDecrypt(Identity(), AsBytes(header + std::string(40, 'x')), 4096);
            ADD_FAILURE() << "read";
        } catch (const age::AgeError& error) {
            EXPECT_EQ(error.Kind(), AgeErrorKind::OtherRecipientKind);
            EXPECT_NE(std::string(error.what()).find(header.substr(25, 6)), std::string::npos);
        }
    }
}

// A payload edited as bytes, the header kept.
using PayloadEdit = std::function<void(Bytes& file, std::size_t start)>;

void Cut(Bytes& file, std::size_t size) { file.resize(size); }

Bytes Chunk(const Bytes& file, std::size_t start, std::size_t index) {
    const std::size_t from = start + index * kSealed;
    return Bytes(file.begin() + from, file.begin() + std::min(from + kSealed, file.size()));
}

void PutChunk(Bytes& file, std::size_t start, std::size_t index, const Bytes& chunk) {
    std::copy(chunk.begin(), chunk.end(), file.begin() + start + index * kSealed);
}

struct PayloadRow {
    const char* what;
    std::size_t plainSize;
    PayloadEdit edit;
    std::optional<AgeErrorKind> fault;
};

TEST(AgeFile, EveryPayloadFaultHasItsKind) {
    const std::size_t three = 2 * kChunk + 100;  // two full chunks and a short final one
    const std::vector<PayloadRow> rows = {
        {"unchanged", three, [](Bytes&, std::size_t) {}, std::nullopt},
        {"only a header", three,
         [](Bytes& f, std::size_t s) { Cut(f, s - PayloadCipher::kNonceSize); },
         AgeErrorKind::Truncated},
        {"cut in the nonce", three, [](Bytes& f, std::size_t s) { Cut(f, s - 3); },
         AgeErrorKind::Truncated},
        {"cut before the first chunk", three, [](Bytes& f, std::size_t s) { Cut(f, s); },
         AgeErrorKind::Truncated},
        {"cut after chunk 1", three, [](Bytes& f, std::size_t s) { Cut(f, s + kSealed); },
         AgeErrorKind::Truncated},
        {"cut after chunk 2", three, [](Bytes& f, std::size_t s) { Cut(f, s + 2 * kSealed); },
         AgeErrorKind::Truncated},
        {"cut inside chunk 1", three, [](Bytes& f, std::size_t s) { Cut(f, s + 1000); },
         AgeErrorKind::PayloadDamaged},
        {"cut inside chunk 2", three, [](Bytes& f, std::size_t s) { Cut(f, s + kSealed + 1000); },
         AgeErrorKind::PayloadDamaged},
        {"cut inside the last tag", three,
         [](Bytes& f, std::size_t s) { Cut(f, s + 2 * kSealed + 5); }, AgeErrorKind::Truncated},
        {"final chunk one byte short", three, [](Bytes& f, std::size_t) { Cut(f, f.size() - 1); },
         AgeErrorKind::PayloadDamaged},
        {"chunks swapped", three,
         [](Bytes& f, std::size_t s) {
             const Bytes first = Chunk(f, s, 0);
             PutChunk(f, s, 0, Chunk(f, s, 1));
             PutChunk(f, s, 1, first);
         },
         AgeErrorKind::PayloadDamaged},
        {"chunk repeated", three,
         [](Bytes& f, std::size_t s) { PutChunk(f, s, 1, Chunk(f, s, 0)); },
         AgeErrorKind::PayloadDamaged},
        {"byte changed", three, [](Bytes& f, std::size_t s) { f[s + kSealed + 7] ^= 0x20; },
         AgeErrorKind::PayloadDamaged},
        {"nonce changed", three, [](Bytes& f, std::size_t s) { f[s - 1] ^= 1; },
         AgeErrorKind::PayloadDamaged},
        {"byte after a short final chunk", three, [](Bytes& f, std::size_t) { f.push_back(0); },
         AgeErrorKind::PayloadDamaged},
        {"bytes after a full final chunk", kChunk,
         [](Bytes& f, std::size_t) { f.insert(f.end(), 20, 'x'); }, AgeErrorKind::TrailingData},
        {"a whole chunk after the final one", kChunk,
         [](Bytes& f, std::size_t s) {
             const Bytes last = Chunk(f, s, 0);
             f.insert(f.end(), last.begin(), last.end());
         },
         AgeErrorKind::TrailingData},
        {"empty file", 0, [](Bytes& f, std::size_t) { f.clear(); }, AgeErrorKind::NotAgeFile},
        {"empty plaintext", 0, [](Bytes&, std::size_t) {}, std::nullopt},
        {"empty plaintext, tag cut", 0, [](Bytes& f, std::size_t) { Cut(f, f.size() - 1); },
         AgeErrorKind::Truncated},
    };
    for (const PayloadRow& row : rows) {
        SCOPED_TRACE(row.what);
        const Bytes plaintext = PatternBytes(row.plainSize, 3);
        Bytes edited = Encrypt(plaintext);
        row.edit(edited, PayloadStart(edited));
        for (std::size_t block : {std::size_t{4096}, std::size_t{1} << 20}) {
            EXPECT_EQ(AgeFault(Identity(), edited, block), row.fault) << "block " << block;
        }
    }
}

// Chunks sealed one by one with the parallel API, as the run does on two cores.
Bytes SealInChunks(const std::vector<Bytes>& chunks, bool lastFlagOnLast = true) {
    const age::X25519Recipient recipient = Identity().Recipient();
    age::AgeEncryptor encryptor(std::span(&recipient, 1));
    Bytes file = encryptor.Prefix();
    PayloadCipher cipher(encryptor.PayloadKey());
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        Bytes sealed(chunks[i].size() + age::kTagSize);
        cipher.SealChunk(i, lastFlagOnLast && i + 1 == chunks.size(), chunks[i], sealed);
        file.insert(file.end(), sealed.begin(), sealed.end());
    }
    return file;
}

TEST(AgeFile, ChunksSealedApartMakeTheSameFormat) {
    const Bytes full = PatternBytes(kChunk, 4);
    const Bytes part = PatternBytes(10, 5);
    Bytes whole = full;
    whole.insert(whole.end(), part.begin(), part.end());
    EXPECT_EQ(AgeDecrypt(Identity(), SealInChunks({full, part}), 10000), whole);
    EXPECT_EQ(AgeFault(Identity(), SealInChunks({full, {}})), AgeErrorKind::PayloadDamaged)
        << "an empty final chunk after a full one";
    EXPECT_EQ(AgeFault(Identity(), SealInChunks({full, part}, false)),
              AgeErrorKind::PayloadDamaged);
    EXPECT_EQ(AgeFault(Identity(), SealInChunks({part, part})), AgeErrorKind::PayloadDamaged)
        << "a short chunk that is not the last";
}

// A file made by hand from its parts, with a grease stanza of the given body size before ours.
Bytes FileWithGrease(std::size_t greaseSize, const Bytes& plaintext) {
    age::FileKey fileKey{};
    age::primitives::RandomBytes(fileKey);
    std::vector<age::Stanza> stanzas = {{{"grease", "x"}, PatternBytes(greaseSize, 7)},
                                        Identity().Recipient().Wrap(fileKey)};
    const age::AgeHeader header(stanzas, age::primitives::Hkdf(fileKey, {}, "header"));
    PayloadCipher::PayloadNonce nonce{};
    age::primitives::RandomBytes(nonce);
    Bytes file = header.Encode();
    file.insert(file.end(), nonce.begin(), nonce.end());
    PayloadCipher cipher(PayloadCipher::PayloadKey(fileKey, nonce));
    Bytes sealed(plaintext.size() + age::kTagSize);
    cipher.SealChunk(0, true, plaintext, sealed);
    file.insert(file.end(), sealed.begin(), sealed.end());
    return file;
}

TEST(AgeFile, HeadersOfMegabytesReadUpToTheLimit) {
    const Bytes plaintext = AsBytes("after a long header");
    const Bytes withinLimit = FileWithGrease(5 << 19, plaintext);  // 3.4 MiB of base64 lines
    ASSERT_LT(withinLimit.size(), age::AgeHeader::kMaxSize);
    for (std::size_t block : {std::size_t{4096}, std::size_t{1} << 20}) {
        EXPECT_EQ(AgeDecrypt(Identity(), withinLimit, block), plaintext) << "block " << block;
    }
    const Bytes beyondLimit = FileWithGrease(age::AgeHeader::kMaxSize, plaintext);
    EXPECT_EQ(AgeFault(Identity(), beyondLimit, 4096), AgeErrorKind::HeaderTooLarge);
}

// Headers of the age test kit (its payloads are left out: only the header is checked here).
struct KitRow {
    const char* name;
    const char* identity;
    const char* header;
    std::optional<AgeErrorKind> fault;
};

TEST(AgeFile, HeadersOfTheAgeTestKit) {
    const char* kIdentity =
        "AGE-SECRET-KEY-1XMWWC06LY3EE5RYTXM9MFLAZ2U56JJJ36S0MYPDRWSVLUL66MV4QX3S7F6";
    const std::vector<KitRow> rows = {
        {"x25519", kIdentity,
         "age-encryption.org/v1\n-> X25519 TEiF0ypqr+bpvcqXNyCVJpL7OuwPdVwPL7KQEbFDOCc\n"
         "EmECAEcKN+n/Vs9SbWiV+Hu0r+E8R77DdWYyd83nw7U\n"
         "--- Vn+54jqiiUCE+WZcEVY3f1sqHjlu/z1LCQ/T7Xm7qI0\n",
         std::nullopt},
        {"hmac_not_canonical",
         "AGE-SECRET-KEY-1EGTZVFFV20835NWYV6270LXYVK2VKNX2MMDKWYKLMGR48UAWX40Q2P2LM0",
         "age-encryption.org/v1\n-> X25519 TEiF0ypqr+bpvcqXNyCVJpL7OuwPdVwPL7KQEbFDOCc\n"
         "hjabGXwSLQ9c3S6Lw2i+S2Tu2fiwQHHslbBN6B41FLE\n"
         "--- WyJp9F/9FOZh7gJdheq2WIJcwHgYc8NIVh3ddwhrcNh\n",
         AgeErrorKind::MalformedHeader},
        {"stanza_base64_padding", kIdentity,
         "age-encryption.org/v1\n-> X25519 TEiF0ypqr+bpvcqXNyCVJpL7OuwPdVwPL7KQEbFDOCc\n"
         "EmECAEcKN+n/Vs9SbWiV+Hu0r+E8R77DdWYyd83nw7U\n-> stanza\n"
         "QUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFB\nQUE=\n"
         "--- OtG7IuNHaf2SHZuowmxg/fhbhtz0/DI5g5OGd7WH7S0\n",
         AgeErrorKind::MalformedHeader},
        {"stanza_not_canonical", kIdentity,
         "age-encryption.org/v1\n-> X25519 TEiF0ypqr+bpvcqXNyCVJpL7OuwPdVwPL7KQEbFDOCc\n"
         "EmECAEcKN+n/Vs9SbWiV+Hu0r+E8R77DdWYyd83nw7U\n-> stanza\n"
         "QUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFB\nQUF\n"
         "--- nQM2VCzmNLPrUurNWN+SW9wVp/9uTMQ/6CTUM7l8c84\n",
         AgeErrorKind::MalformedHeader},
        {"stanza_long_line", kIdentity,
         "age-encryption.org/v1\n-> X25519 TEiF0ypqr+bpvcqXNyCVJpL7OuwPdVwPL7KQEbFDOCc\n"
         "EmECAEcKN+n/Vs9SbWiV+Hu0r+E8R77DdWYyd83nw7U\n-> stanza\n"
         "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n\n"
         "--- tnRUR2vmmU92czsjnioF5ujgXUetUhzUoQPPGT9wmug\n",
         AgeErrorKind::MalformedHeader},
    };
    for (const KitRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<age::X25519Identity> identity =
            age::X25519Identity::FromText(row.identity);
        ASSERT_TRUE(identity);
        try {
            const Bytes text = AsBytes(row.header);
            const std::optional<age::AgeHeader::Parsed> parsed = age::AgeHeader::Parse(text, true);
            ASSERT_TRUE(parsed);
            EXPECT_EQ(parsed->size, text.size());
            const age::FileKey key = age::AgeDecryptor::OpenHeader(parsed->header, {*identity});
            EXPECT_EQ(std::string(key.begin(), key.end()), "YELLOW SUBMARINE");
            EXPECT_FALSE(row.fault);
            EXPECT_EQ(parsed->header.Encode(), text) << "encodes back to the same bytes";
        } catch (const age::AgeError& error) {
            EXPECT_EQ(error.Kind(), row.fault) << error.what();
        }
    }
}

}  // namespace
}  // namespace korvel::test
