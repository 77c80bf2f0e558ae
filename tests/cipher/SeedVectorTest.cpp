// Known answers of the seed format from data/seed-format.txt, computed by an implementation
// written apart from this project. The file gives each ciphertext by its length, its SHA-256 and
// its first 64 bytes; a ciphertext of ours whose SHA-256 matches is the same ciphertext.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "cipher/CiphertextHeader.h"
#include "cipher/KeyFileReader.h"
#include "cipher/Keystream.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

struct SeedVector {
    std::string name;
    std::string password;
    Bytes key;
    Bytes plaintext;
    CiphertextHeader header{};
    std::uint64_t ciphertextLength = 0;
    std::string ciphertextSha256;
    Bytes ciphertextHead;
};

std::string Sha256Hex(const Bytes& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("SHA-256 failed");
    }
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        static const char kDigits[] = "0123456789abcdef";
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

// "<rule> <length>", the rule over the byte index i as the file's heading describes it.
Bytes BytesByRule(const std::string& text) {
    std::istringstream in(text);
    std::string rule;
    std::size_t length = 0;
    if (!(in >> rule >> length)) throw std::invalid_argument("bad rule: " + text);
    static const std::string kSentence = "The quick brown fox jumps over the lazy dog. ";
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        if (rule == "i*31+7") {
            bytes[i] = static_cast<std::uint8_t>((i * 31 + 7) % 256);
        } else if (rule == "255-i%256") {
            bytes[i] = static_cast<std::uint8_t>(255 - i % 256);
        } else if (rule == "i%251") {
            bytes[i] = static_cast<std::uint8_t>(i % 251);
        } else if (rule == "zero") {
            bytes[i] = 0;
        } else if (rule == "text") {
            bytes[i] = static_cast<std::uint8_t>(kSentence[i % kSentence.size()]);
        } else {
            throw std::invalid_argument("unknown rule: " + rule);
        }
    }
    return bytes;
}

SeedVector VectorFrom(const std::map<std::string, std::string>& fields) {
    const auto field = [&](const std::string& name) {
        const auto found = fields.find(name);
        if (found == fields.end()) throw std::invalid_argument("missing field: " + name);
        return found->second;
    };
    SeedVector vector;
    vector.name = field("name");
    vector.password = field("password");
    vector.key = BytesByRule(field("key"));
    vector.plaintext = BytesByRule(field("plain"));
    const Bytes header = FromHex(field("header"));
    if (header.size() != kHeaderSize) throw std::invalid_argument("header of " + vector.name);
    std::copy(header.begin(), header.end(), vector.header.begin());
    vector.ciphertextLength = std::stoull(field("ciphertext length"));
    vector.ciphertextSha256 = field("ciphertext sha256");
    vector.ciphertextHead = FromHex(field("ciphertext head"));
    return vector;
}

// Blocks of "field: value" lines parted by empty lines; a value is everything after ": ", spaces
// included, as in a password of spaces.
std::vector<SeedVector> ReadSeedVectors(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<SeedVector> vectors;
    std::map<std::string, std::string> fields;
    std::string line;
    const auto finishBlock = [&] {
        if (!fields.empty()) vectors.push_back(VectorFrom(fields));
        fields.clear();
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind('#', 0) == 0) continue;
        if (line.empty()) {
            finishBlock();
            continue;
        }
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos) throw std::invalid_argument("bad line: " + line);
        fields[line.substr(0, colon)] = line.substr(colon + 2);
    }
    finishBlock();
    return vectors;
}

// Applies the keystream in the pieces a run uses: the first one short by the header, so that
// every later piece starts on a block boundary of the ciphertext.
Bytes Transform(Bytes data, const SeedVector& vector) {
    TempFolder folder;
    WriteBytes(folder / "uae", vector.key);
    KeyFileReader reader(BinaryFile::OpenForReading(folder / "uae"));
    Keystream keystream;
    keystream.Start(vector.password, reader);
    constexpr std::size_t kBlock = std::size_t{64} * 1024;
    std::size_t done = 0;
    for (std::size_t piece = kBlock - kHeaderSize; done < data.size(); piece = kBlock) {
        const std::size_t count = std::min(piece, data.size() - done);
        keystream.Apply(data.data() + done, count);
        done += count;
    }
    return data;
}

Bytes Encrypt(const SeedVector& vector) {
    const CiphertextHeader header = MakeCiphertextHeader();
    Bytes ciphertext(header.begin(), header.end());
    const Bytes data = Transform(vector.plaintext, vector);
    ciphertext.insert(ciphertext.end(), data.begin(), data.end());
    return ciphertext;
}

Bytes Decrypt(const Bytes& ciphertext, const SeedVector& vector) {
    return Transform(Bytes(ciphertext.begin() + kHeaderSize, ciphertext.end()), vector);
}

Bytes WithHeader(const CiphertextHeader& header, const Bytes& ciphertext) {
    Bytes result(header.begin(), header.end());
    result.insert(result.end(), ciphertext.begin() + kHeaderSize, ciphertext.end());
    return result;
}

enum class Row { kEncrypt, kDecrypt };

// A failed assertion ends only its own row.
void CheckRow(const SeedVector& vector, Row row) {
    const std::size_t headLength = vector.ciphertextHead.size();
    if (row == Row::kEncrypt) {
        // Our header bytes are random: the given ones take their place for the hash.
        const Bytes ours = WithHeader(vector.header, Encrypt(vector));
        EXPECT_EQ(ours.size(), vector.ciphertextLength);
        EXPECT_EQ(
            Bytes(ours.begin() + kHeaderSize, ours.begin() + std::min(ours.size(), headLength)),
            Bytes(vector.ciphertextHead.begin() + kHeaderSize, vector.ciphertextHead.end()));
        EXPECT_EQ(Sha256Hex(ours), vector.ciphertextSha256);
        return;
    }
    EXPECT_EQ(PlaintextLengthOf(vector.ciphertextLength), vector.plaintext.size());
    // The given head decrypts on its own to the plaintext's beginning.
    const Bytes headPlain = Decrypt(vector.ciphertextHead, vector);
    ASSERT_LE(headPlain.size(), vector.plaintext.size());
    EXPECT_EQ(headPlain,
              Bytes(vector.plaintext.begin(),
                    vector.plaintext.begin() + static_cast<std::ptrdiff_t>(headPlain.size())));
    // The whole ciphertext, known by its hash, decrypts to the whole plaintext.
    const Bytes ciphertext = WithHeader(vector.header, Encrypt(vector));
    ASSERT_EQ(Sha256Hex(ciphertext), vector.ciphertextSha256);
    EXPECT_EQ(Decrypt(ciphertext, vector), vector.plaintext);
}

TEST(SeedVectors, EncryptionAndDecryptionGiveTheKnownAnswers) {
    const std::vector<SeedVector> vectors = ReadSeedVectors(KORVEL_SEED_VECTORS_FILE);
    ASSERT_GE(vectors.size(), 8u);
    for (const SeedVector& vector : vectors) {
        for (const Row row : {Row::kEncrypt, Row::kDecrypt}) {
            SCOPED_TRACE(vector.name + (row == Row::kEncrypt ? " / encrypt" : " / decrypt"));
            CheckRow(vector, row);
        }
    }
}

}  // namespace
}  // namespace korvel::test
