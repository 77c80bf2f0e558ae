#include "cli/AgeVerification.h"

#include <gtest/gtest.h>

#include "cli/IdentityFile.h"
#include "tests/cipher/age/AgeTestSupport.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel {
namespace {

using test::Bytes;

constexpr std::size_t kSealed = age::PayloadCipher::kSealedChunkSize;
const char* const kNotOpened = "没有能打开它的接收者（测试）";

const age::X25519Identity& Ours() {
    static const age::X25519Identity identity = age::X25519Identity::Generate();
    return identity;
}

struct AgeFile {
    Bytes bytes;
    std::size_t payloadStart;  // after the header and the payload nonce
};

AgeFile Encrypted(std::size_t plaintextSize) {
    Bytes bytes = test::AgeEncrypt(Ours().Recipient(), test::PatternBytes(plaintextSize, 7), 4096);
    const auto parsed = age::AgeHeader::Parse(bytes, true);
    return {bytes, parsed->size + age::PayloadCipher::kNonceSize};
}

Bytes Cut(std::size_t plaintextSize, std::size_t keep) {
    Bytes bytes = Encrypted(plaintextSize).bytes;
    bytes.resize(keep);
    return bytes;
}

Bytes Flipped(std::size_t plaintextSize, std::size_t at) {
    Bytes bytes = Encrypted(plaintextSize).bytes;
    bytes[at] ^= 0x01;
    return bytes;
}

// The same stanzas under a well-formed MAC of another key.
Bytes WithAnotherMac() {
    const AgeFile file = Encrypted(1000);
    const auto parsed = age::AgeHeader::Parse(file.bytes, true);
    Bytes bytes = age::AgeHeader(parsed->header.Stanzas(), age::Key32{}).Encode();
    bytes.insert(bytes.end(), file.bytes.begin() + static_cast<std::ptrdiff_t>(parsed->size),
                 file.bytes.end());
    return bytes;
}

Bytes WithTrailingByte(std::size_t plaintextSize) {
    Bytes bytes = Encrypted(plaintextSize).bytes;
    bytes.push_back(0);
    return bytes;
}

// Only a passphrase stanza, under a valid MAC of some key.
Bytes ForAPassphrase() {
    const age::Stanza stanza{{"scrypt", "c2FsdHNhbHRzYWx0c2FsdA", "18"}, Bytes(32, 0x42)};
    Bytes bytes = age::AgeHeader({stanza}, age::Key32{}).Encode();
    bytes.resize(bytes.size() + 16 + 17, 0);
    return bytes;
}

Bytes HeaderOfMegabytes() {
    std::string text = "age-encryption.org/v1\n-> X25519 AAAA\n";
    while (text.size() < age::AgeHeader::kMaxSize + 1000) text += std::string(64, 'A') + "\n";
    return test::AsBytes(text);
}

struct VerifyRow {
    const char* label;
    Bytes file;
    VerifyVerdict verdict;
    std::string reason;
    bool keysOpened;
};

TEST(CliAgeVerificationTest, EveryFileIsJudgedWithItsReason) {
    const std::size_t chunk = age::PayloadCipher::kChunkSize;
    // Every file for one X25519 recipient has a header of the same size.
    const AgeFile two = Encrypted(2 * chunk);
    const std::string changed = "文件已被改动或损坏";
    const VerifyRow rows[] = {
        {"one chunk", Encrypted(1000).bytes, VerifyVerdict::Intact, "", true},
        {"more than two blocks read", Encrypted(2 * AgeVerification::kBlockSize + 1).bytes,
         VerifyVerdict::Intact, "", true},
        {"cut at a chunk boundary", Cut(2 * chunk, two.payloadStart + kSealed),
         VerifyVerdict::Damaged, changed + "（文件在最后一块之前结束）", true},
        {"only a header", Cut(1000, two.payloadStart - 16), VerifyVerdict::Damaged,
         changed + "（文件在最后一块之前结束）", true},
        {"a payload byte changed", Flipped(2 * chunk, two.payloadStart + 5), VerifyVerdict::Damaged,
         changed + "（数据块校验失败）", true},
        // A full final chunk is known as final because it opens as one; what follows is extra.
        {"a byte after the final chunk", WithTrailingByte(chunk), VerifyVerdict::Damaged,
         changed + "（最后一块之后还有数据）", true},
        {"another MAC", WithAnotherMac(), VerifyVerdict::Damaged, changed + "（头部校验失败）",
         true},
        {"a stanza without arguments", test::AsBytes("age-encryption.org/v1\n->\n--- AAAA\n"),
         VerifyVerdict::Damaged, changed + "（文件头格式不对）", false},
        {"a header of megabytes", HeaderOfMegabytes(), VerifyVerdict::Damaged,
         changed + "（文件头过大）", false},
        {"another recipient",
         test::AgeEncrypt(age::X25519Identity::Generate().Recipient(), Bytes(10), 10),
         VerifyVerdict::NotOpened, kNotOpened, false},
        {"a passphrase", ForAPassphrase(), VerifyVerdict::NotVerifiable,
         "这个 age 文件是为其他类型的接收者（口令或硬件密钥等）加密的，不能用密码和密钥文件打开。",
         false},
        {"another version", test::AsBytes("age-encryption.org/v2\n-> X25519 AAAA\n"),
         VerifyVerdict::NotVerifiable, "这个 age 文件的版本不受支持", false},
        {"the seed format", test::PatternBytes(5000, 3), VerifyVerdict::NotVerifiable,
         "兼容格式没有校验，无法验证", false},
        {"empty", {}, VerifyVerdict::NotVerifiable, "文件是空的，无法验证", false},
    };
    test::TempFolder folder;
    const AgeVerification verification({age::X25519Identity::Generate(), Ours()}, kNotOpened,
                                       false);
    for (const VerifyRow& row : rows) {
        test::WriteBytes(folder / "file.age", row.file);
        const VerifyResult result = verification.Check(folder / "file.age");
        EXPECT_EQ(result.verdict, row.verdict) << row.label;
        EXPECT_EQ(result.reason.substr(0, row.reason.size()), row.reason) << row.label;
        EXPECT_EQ(result.keysOpened, row.keysOpened) << row.label;
    }
}

TEST(CliAgeVerificationTest, AMissingFileIsUnreadable) {
    test::TempFolder folder;
    const AgeVerification verification({Ours()}, kNotOpened, true);
    const VerifyResult result = verification.Check(folder / "nothing.age");
    EXPECT_EQ(result.verdict, VerifyVerdict::Unreadable);
    EXPECT_EQ(result.reason.rfind("无法读取文件：", 0), 0u) << result.reason;
}

struct IdentityFileRow {
    const char* label;
    std::string text;
    std::string problem;  // empty: the file gives identities
};

TEST(CliIdentityFileTest, ReadGivesTheIdentitiesOrWhyNot) {
    const std::string ours = Ours().Text();
    const IdentityFileRow rows[] = {
        {"as written", Ours().IdentityFileText(), ""},
        {"CRLF and comments", "# made by hand\r\n\r\n" + ours + "\r\n", ""},
        {"empty", "", "身份文件中没有身份"},
        {"comments only", "# nothing\n", "身份文件中没有身份"},
        {"a recipient instead", Ours().Recipient().Text() + "\n", "身份文件格式不对"},
        {"a line cut short", ours.substr(0, ours.size() - 1) + "\n", "身份文件格式不对"},
        {"too large", std::string(IdentityFile::kMostBytes + 1, '#'), "身份文件过大"},
    };
    test::TempFolder folder;
    for (const IdentityFileRow& row : rows) {
        test::WriteBytes(folder / "identity.txt", test::AsBytes(row.text));
        const auto read = IdentityFile::Read(folder / "identity.txt");
        if (row.problem.empty()) {
            const auto* identities = std::get_if<std::vector<age::X25519Identity>>(&read);
            ASSERT_NE(identities, nullptr) << row.label << ": " << std::get<std::string>(read);
            ASSERT_EQ(identities->size(), 1u) << row.label;
            EXPECT_EQ(identities->front().Text(), ours) << row.label;
        } else {
            const auto* problem = std::get_if<std::string>(&read);
            ASSERT_NE(problem, nullptr) << row.label;
            EXPECT_EQ(problem->rfind(row.problem, 0), 0u) << row.label << ": " << *problem;
        }
    }
}

TEST(CliIdentityFileTest, WriteMakesANewFileAndRefusesAnExistingOne) {
    test::TempFolder folder;
    const auto path = folder / "identity.txt";
    EXPECT_EQ(IdentityFile::Write(path, Ours()), std::nullopt);
    EXPECT_EQ(test::AsText(test::ReadBytes(path)), Ours().IdentityFileText());
    const age::X25519Identity other = age::X25519Identity::Generate();
    const auto refusal = IdentityFile::Write(path, other);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->rfind("身份文件已存在，没有改动它：", 0), 0u) << *refusal;
    EXPECT_EQ(test::AsText(test::ReadBytes(path)), Ours().IdentityFileText());
    // Nothing but the file: no temporary file left beside it.
    EXPECT_EQ(folder.Listing(), std::vector<std::string>{"identity.txt"});
    EXPECT_TRUE(IdentityFile::Write(folder / "no folder" / "identity.txt", other).has_value());
}

}  // namespace
}  // namespace korvel
