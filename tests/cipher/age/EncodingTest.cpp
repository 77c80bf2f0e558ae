#include <gtest/gtest.h>

#include "cipher/age/Base64.h"
#include "cipher/age/Bech32.h"
#include "cipher/age/X25519Identity.h"

namespace korvel::test {
namespace {

using age::Base64;
using age::Bech32;

struct Base64Row {
    std::string text;
    std::optional<std::string> bytes;  // nullopt: refused
};

TEST(Base64, DecodesOnlyCanonicalUnpaddedText) {
    const std::vector<Base64Row> rows = {
        {"", ""},        {"Zg", "f"},        {"Zm8", "fo"},
        {"Zm9v", "foo"}, {"Zm9vYg", "foob"}, {"+/+/", "\xfb\xff\xbf"},
        {"Zg==", {}},                                      // padded
        {"Zm8=", {}},    {"Zh", {}},         {"Zm9", {}},  // unused bits set
        {"Z", {}},                                         // a single character left over
        {"Zm9v\n", {}},  {"Zm 9", {}},       {"Zm-v", {}},
        {"Zm_v", {}},
    };
    for (const Base64Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<std::vector<std::uint8_t>> decoded = Base64::Decode(row.text);
        ASSERT_EQ(decoded.has_value(), row.bytes.has_value());
        if (!row.bytes) continue;
        EXPECT_EQ(std::string(decoded->begin(), decoded->end()), *row.bytes);
        EXPECT_EQ(Base64::Encode(*decoded), row.text);
    }
}

struct Bech32Row {
    std::string text;
    bool valid;
};

TEST(Bech32, Bip173Strings) {
    const std::vector<Bech32Row> rows = {
        {"A12UEL5L", true},
        {"a12uel5l", true},
        {"an83characterlonghumanreadablepartthatcontainsthenumber1andtheexcludedcharactersbio1tt5tg"
         "s",
         true},
        {"abcdef1qpzry9x8gf2tvdw0s3jn54khce6mua7lmqqqxw", true},
        {"11qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqc8247"
         "j",
         true},
        {"split1checkupstagehandshakeupstreamerranterredcaperred2y9e3w", true},
        {"?1ezyfcl", true},
        {"\x20"
         "1nwldj5",
         false},  // human part character out of range
        {"\x7f"
         "1axkwrx",
         false},
        {"\x80"
         "1eym55h",
         false},
        {"an84characterslonghumanreadablepartthatcontainsthenumber1andtheexcludedcharactersbio1569p"
         "vx",
         false},                   // longer than 90
        {"pzry9x0s0muk", false},   // no separator
        {"1pzry9x0s0muk", false},  // empty human part
        {"x1b4n0q5v", false},      // invalid data character
        {"li1dgmt3", false},       // checksum too short
        {"de1lg7wt\xff", false},   // invalid character in the checksum
        {"A1G7SGD8", false},       // checksum over the upper case human part
        {"10a06t8", false},
        {"1qzzfhee", false},
        {"tb1qrp33g0q5c5txsp9arysrx4k6zdkfs4nce4xj0gdcccefvpysxf3q0sL5k7", false},  // mixed case
        {"bc1qw508d6qejxtdg4y5r3zarvary0c5xw7kv8f3t5", false},                      // checksum
    };
    for (const Bech32Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<Bech32::Values> decoded = Bech32::DecodeValues(row.text, 90);
        ASSERT_EQ(decoded.has_value(), row.valid);
        if (!row.valid) continue;
        const std::size_t separator = row.text.rfind('1');
        std::string lower = row.text.substr(0, separator);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(decoded->humanPart, lower);
        EXPECT_EQ(decoded->values.size(), row.text.size() - separator - 1 - 6);
    }
}

TEST(Bech32, BytesComeBackAndBadPaddingIsRefused) {
    const std::vector<std::uint8_t> bytes = {0x00, 0xff, 0x10, 0x80, 0x7e};
    for (bool upper : {false, true}) {
        const std::string text = Bech32::Encode("age", bytes, upper);
        const std::optional<Bech32::Decoded> decoded = Bech32::Decode(text);
        ASSERT_TRUE(decoded) << text;
        EXPECT_EQ(decoded->humanPart, "age");
        EXPECT_EQ(decoded->bytes, bytes);
    }
    // 0xFF is 11111 111(00): padding bits that are set, or a whole group of padding, are refused.
    const std::vector<std::vector<std::uint8_t>> badPadding = {{31, 29}, {31, 28, 0}};
    for (const std::vector<std::uint8_t>& values : badPadding) {
        const std::string text = Bech32::EncodeValues("age", values);
        EXPECT_TRUE(Bech32::DecodeValues(text)) << text;
        EXPECT_FALSE(Bech32::Decode(text)) << text;
    }
    EXPECT_EQ(Bech32::Decode(Bech32::EncodeValues("age", {31, 28}))->bytes,
              std::vector<std::uint8_t>{0xFF});
}

TEST(Bech32, AgeKeysOfTheirOwnKindOnly) {
    const age::X25519Identity identity = age::X25519Identity::Generate();
    const std::string secret = identity.Text();
    const std::string recipient = identity.Recipient().Text();
    EXPECT_EQ(secret.rfind("AGE-SECRET-KEY-1", 0), 0u);
    EXPECT_EQ(recipient.rfind("age1", 0), 0u);
    EXPECT_EQ(age::X25519Identity::FromText(secret)->SecretKey(), identity.SecretKey());
    EXPECT_EQ(age::X25519Recipient::FromText(recipient)->PublicKey(),
              identity.Recipient().PublicKey());
    std::string upperRecipient = recipient;
    for (char& c : upperRecipient) c = static_cast<char>(std::toupper(c));
    EXPECT_FALSE(age::X25519Recipient::FromText(upperRecipient));
    EXPECT_FALSE(age::X25519Recipient::FromText(secret));  // a secret key is no recipient
    EXPECT_FALSE(age::X25519Identity::FromText(recipient));
    std::string changed = recipient;
    changed[10] = changed[10] == 'q' ? 'p' : 'q';
    EXPECT_FALSE(age::X25519Recipient::FromText(changed));
}

TEST(Bech32, IdentityFilesHoldCommentsAndKeys) {
    const age::X25519Identity identity = age::X25519Identity::Generate();
    const std::string file = "# a comment\n\n" + identity.IdentityFileText() + "\r\n";
    const std::vector<age::X25519Identity> identities = age::X25519Identity::FromIdentityFile(file);
    ASSERT_EQ(identities.size(), 1u);
    EXPECT_EQ(identities[0].SecretKey(), identity.SecretKey());
    EXPECT_THROW(age::X25519Identity::FromIdentityFile("# key\nage1notakey\n"),
                 std::invalid_argument);
}

}  // namespace
}  // namespace korvel::test
