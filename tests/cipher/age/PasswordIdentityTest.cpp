#include <gtest/gtest.h>

#include "cipher/age/PasswordIdentity.h"
#include "cipher/age/X25519KeyPair.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

using age::PasswordIdentity;

Bytes CountingKeyFile() {
    Bytes key(256);
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i);
    return key;
}

std::string Hex(const age::Key32& bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        static const char* digits = "0123456789abcdef";
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

struct ExampleRow {
    std::string password;
    Bytes keyFile;
    std::string keyDigest;
    std::string identity;
    std::string recipient;
};

// The worked example of docs/format.md, computed apart from this code (Python's hashlib and
// cryptography packages; the recipient checked with age-keygen -y).
TEST(PasswordIdentity, TheWorkedExampleOfTheFormatDocument) {
    const std::vector<ExampleRow> rows = {
        {"Korvel-demo1", CountingKeyFile(),
         "40aff2e9d2d8922e47afd4648e6967497158785fbd1da870e7110266bf944880",
         "AGE-SECRET-KEY-1NDLMDJ2DETMPS40URPNV0HXDG64ETCAKPZKF4LP7CWADJ2W0J4SQP7M6RC",
         "age1yfz4xyvmcmcq26fa9nakfmncyezgdu65y4jukmtmxsvfues86q8sw9dy2t"},
    };
    for (const ExampleRow& row : rows) {
        TempFolder folder;
        WriteBytes(folder / "uae", row.keyFile);
        BinaryFile keyFile = BinaryFile::OpenForReading(folder / "uae");
        EXPECT_EQ(Hex(PasswordIdentity::KeyFileDigest(keyFile)), row.keyDigest);
        const age::X25519Identity identity = PasswordIdentity::Derive(row.password, keyFile);
        EXPECT_EQ(identity.Text(), row.identity);
        EXPECT_EQ(identity.Recipient().Text(), row.recipient);
    }
}

// A key file longer than a read block is hashed whole, and each input changes the identity.
TEST(PasswordIdentity, EveryByteOfTheKeyFileAndPasswordCounts) {
    TempFolder folder;
    Bytes key = PatternBytes(2 * PasswordIdentity::kReadBlockSize + 17, 6);
    WriteBytes(folder / "uae", key);
    BinaryFile keyFile = BinaryFile::OpenForReading(folder / "uae");
    const age::Key32 digest = PasswordIdentity::KeyFileDigest(keyFile);
    EXPECT_EQ(digest, age::primitives::Sha256(key));

    key.back() ^= 1;
    EXPECT_NE(age::primitives::Sha256(key), digest);
    const age::X25519Identity first = PasswordIdentity::Derive("abcde", digest);
    EXPECT_NE(PasswordIdentity::Derive("abcdf", digest).SecretKey(), first.SecretKey());
    EXPECT_NE(PasswordIdentity::Derive("abcde", age::primitives::Sha256(key)).SecretKey(),
              first.SecretKey());
}

age::X25519KeyPair KeyPair(const std::string& secretHex) {
    const Bytes bytes = FromHex(secretHex);
    age::Key32 secret{};
    std::copy(bytes.begin(), bytes.end(), secret.begin());
    return age::X25519KeyPair(secret);
}

// RFC 7748's exchange (section 6.1), with each public key kept beside its secret rather than
// computed again: the same shared secret from either side, so each side's public key is right.
TEST(X25519KeyPair, GivesTheRfcExchangeFromEitherSide) {
    const age::X25519KeyPair alice =
        KeyPair("77076d0a7318a57d3c16c17251b26645df4c2f87ebc0992ab177fba51db92c2a");
    const age::X25519KeyPair bob =
        KeyPair("5dab087e624a8a4b79e17f8b83800ee66f3bb1292618b6fd1c2f8b27ff88e0eb");
    for (const auto& [own, peer] : {std::pair{&alice, &bob}, std::pair{&bob, &alice}}) {
        EXPECT_EQ(Hex(own->SharedSecret(peer->Public()).value()),
                  "4a5d9d5ba4ce2de1728e3bf480350f25e07e21c947d19e3376f09b3c1e161742");
    }
    EXPECT_FALSE(alice.SharedSecret(age::Key32{}).has_value());  // a low-order point
}

}  // namespace
}  // namespace korvel::test
