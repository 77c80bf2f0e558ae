#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "cipher/KeyFingerprint.h"
#include "cipher/age/AgeDecryptor.h"
#include "cipher/age/AgeEncryptor.h"
#include "cipher/age/AgeError.h"
#include "cipher/age/PayloadCipher.h"
#include "run/AgeKeys.h"
#include "run/CipherRun.h"
#include "run/HeadDecryption.h"
#include "run/RunMessages.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

constexpr const char* kPassword = "Secret pass~1";
constexpr std::size_t kChunk = age::PayloadCipher::kChunkSize;
constexpr std::size_t kSealed = age::PayloadCipher::kSealedChunkSize;

// One derivation of the password and key file for the whole suite, as a set or a window shares
// it; each test's key file has the same bytes.
class AgeRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        keys = std::make_shared<AgeKeys>(std::vector{age::X25519Identity::Generate()});
    }
    static void TearDownTestSuite() { keys.reset(); }

    void SetUp() override { WriteBytes(folder / "uae", PatternBytes(5000, 42)); }

    RunRequest Request(Direction direction, const std::string& source, const std::string& target) {
        RunRequest request{direction, folder / source, folder / target, kPassword, folder / "uae"};
        request.format = CipherFormat::Age;
        request.ageKeys = keys;
        return request;
    }

    RunResult Run(const RunRequest& request) { return CipherRun(request, observer); }

    bool EnteredProgressMode() const {
        return std::find(observer.events.begin(), observer.events.end(), "enter") !=
               observer.events.end();
    }

    Bytes EncryptedFile(const Bytes& plain) {
        WriteBytes(folder / "made-plain", plain);
        RecordingObserver quiet;
        EXPECT_EQ(CipherRun(Request(Direction::Encrypt, "made-plain", "made.age"), quiet).outcome,
                  RunOutcome::Completed);
        return ReadBytes(folder / "made.age");
    }

    inline static std::shared_ptr<AgeKeys> keys;
    TempFolder folder;
    RecordingObserver observer;
};

std::size_t HeaderSize(const Bytes& file) { return age::AgeHeader::Parse(file, true)->size; }

// Encrypting and decrypting as rows, over sizes on both sides of the quiet limit, a chunk and a
// run's block (four chunks): the file the run writes opens with the library's own streaming
// reader, and the run gives back the plaintext.
TEST_F(AgeRunTest, RoundTripsAtChunkBlockAndProgressBoundaries) {
    for (std::size_t size :
         {std::size_t{0}, std::size_t{1}, kChunk - 1, kChunk, kChunk + 1, 2 * kChunk - 1,
          2 * kChunk, 2 * kChunk + 1, std::size_t{204800}, std::size_t{204801}, 4 * kChunk,
          4 * kChunk + 1, 8 * kChunk, std::size_t{3} << 20}) {
        SCOPED_TRACE(size);
        const Bytes plain = PatternBytes(size, static_cast<std::uint32_t>(size));
        WriteBytes(folder / "plain", plain);
        const struct {
            Direction direction;
            const char* source;
            const char* target;
            const char* completed;
        } rows[] = {
            {Direction::Encrypt, "plain", "cipher.age", "notice:密文已经生成"},
            {Direction::Decrypt, "cipher.age", "back", "notice:密文已经解密，明文已经生成"},
        };
        for (const auto& row : rows) {
            observer = {};
            const RunResult result = Run(Request(row.direction, row.source, row.target));
            ASSERT_EQ(result.outcome, RunOutcome::Completed) << result.message;
            const auto sourceSize = std::filesystem::file_size(folder / row.source);
            EXPECT_EQ(EnteredProgressMode(), sourceSize > 204800);
            EXPECT_NE(std::find(observer.events.begin(), observer.events.end(), row.completed),
                      observer.events.end());
        }
        const Bytes file = ReadBytes(folder / "cipher.age");
        EXPECT_EQ(file.size(), HeaderSize(file) + age::PayloadCipher::PayloadSize(size));
        age::AgeDecryptor reader(keys->Identities());
        Bytes opened;
        reader.Write(file, opened);
        reader.Finish(opened);
        EXPECT_EQ(opened, plain);
        EXPECT_EQ(ReadBytes(folder / "back"), plain);
    }
}

TEST_F(AgeRunTest, EveryFileGetsItsOwnKeyAndNonce) {
    const Bytes plain = PatternBytes(1000, 5);
    const Bytes first = EncryptedFile(plain);
    const Bytes second = EncryptedFile(plain);
    ASSERT_EQ(first.size(), second.size());
    const std::size_t header = HeaderSize(first);
    EXPECT_NE(Bytes(first.begin(), first.begin() + header),
              Bytes(second.begin(), second.begin() + header));
    EXPECT_NE(Bytes(first.begin() + header, first.end()),
              Bytes(second.begin() + header, second.end()));
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A header whose only stanza is a passphrase's, correctly formed.
Bytes PassphraseFile() {
    const age::Stanza stanza{{"scrypt", "c2FsdHNhbHRzYWx0c2FsdA", "18"}, Bytes(32, 7)};
    age::Key32 macKey{};
    Bytes file = age::AgeHeader({stanza}, macKey).Encode();
    file.resize(file.size() + 16 + age::kTagSize, 1);
    return file;
}

// Each way an age file can be wrong gives its message and outcome; an existing target stays as
// it was and nothing else is left in the folder.
TEST_F(AgeRunTest, DamagedAndForeignFilesWriteNothing) {
    const std::string changed = kAgeChanged;
    const Bytes good = EncryptedFile(PatternBytes(3 * kChunk + 100, 8));
    const std::size_t header = HeaderSize(good);
    const std::size_t payload = header + 16;
    const auto edited = [&](const std::function<void(Bytes&)>& edit) {
        Bytes file = good;
        edit(file);
        return file;
    };
    // A file of whole chunks, with 20 bytes after its final one.
    const auto withTrailingBytes = [&](std::size_t plainSize) {
        Bytes file = EncryptedFile(PatternBytes(plainSize, 8));
        file.insert(file.end(), 20, 0);
        return file;
    };
    // Eleven chunks: three blocks, the second and third opened ahead on the run's second thread.
    const Bytes large = EncryptedFile(PatternBytes(10 * kChunk + 100, 8));
    const std::size_t largePayload = HeaderSize(large) + 16;
    const auto editedLarge = [&](const std::function<void(Bytes&)>& edit) {
        Bytes file = large;
        edit(file);
        return file;
    };
    const struct {
        const char* label;
        Bytes file;
        RunOutcome outcome;
        std::string message;
    } rows[] = {
        {"cut at a chunk boundary", edited([&](Bytes& f) { f.resize(payload + 3 * kSealed); }),
         RunOutcome::Failed, changed + kAgeTruncated + kAgeNothingWritten},
        {"cut after the first chunk", edited([&](Bytes& f) { f.resize(payload + kSealed); }),
         RunOutcome::Failed, changed + kAgeTruncated + kAgeNothingWritten},
        {"cut inside a chunk", edited([&](Bytes& f) { f.resize(payload + kSealed + 999); }),
         RunOutcome::Failed, changed + kAgeChunkDamaged + kAgeNothingWritten},
        {"cut inside the last tag", edited([&](Bytes& f) { f.resize(payload + 3 * kSealed + 5); }),
         RunOutcome::Failed, changed + kAgeTruncated + kAgeNothingWritten},
        {"only the header and nonce", edited([&](Bytes& f) { f.resize(payload); }),
         RunOutcome::Failed, changed + kAgeTruncated + kAgeNothingWritten},
        {"only the header", edited([&](Bytes& f) { f.resize(header); }), RunOutcome::Failed,
         changed + kAgeTruncated + kAgeNothingWritten},
        {"trailing bytes after a full final chunk", withTrailingBytes(2 * kChunk),
         RunOutcome::Failed, changed + kAgeTrailingData + kAgeNothingWritten},
        // A short final chunk with a byte after it cannot be told from a changed one.
        {"a byte after a short final chunk", edited([&](Bytes& f) { f.push_back(0); }),
         RunOutcome::Failed, changed + kAgeChunkDamaged + kAgeNothingWritten},
        {"a byte flipped in the payload", edited([&](Bytes& f) { f[payload + kSealed + 7] ^= 1; }),
         RunOutcome::Failed, changed + kAgeChunkDamaged + kAgeNothingWritten},
        {"a byte flipped in the nonce", edited([&](Bytes& f) { f[header + 3] ^= 1; }),
         RunOutcome::Failed, changed + kAgeChunkDamaged + kAgeNothingWritten},
        {"a byte flipped in the MAC",
         edited([&](Bytes& f) { f[header - 44] = f[header - 44] == 'A' ? 'B' : 'A'; }),
         RunOutcome::Failed, changed + kAgeHeaderMacWrong + kAgeNothingWritten},
        {"two chunks swapped", edited([&](Bytes& f) {
             std::swap_ranges(f.begin() + payload, f.begin() + payload + kSealed,
                              f.begin() + payload + kSealed);
         }),
         RunOutcome::Failed, changed + kAgeChunkDamaged + kAgeNothingWritten},
        {"a chunk repeated", edited([&](Bytes& f) {
             std::copy(f.begin() + payload, f.begin() + payload + kSealed,
                       f.begin() + payload + kSealed);
         }),
         RunOutcome::Failed, changed + kAgeChunkDamaged + kAgeNothingWritten},
        {"a byte flipped in a later block",
         editedLarge([&](Bytes& f) { f[largePayload + 6 * kSealed + 7] ^= 1; }), RunOutcome::Failed,
         changed + kAgeChunkDamaged + kAgeNothingWritten},
        {"cut at a later block's end",
         editedLarge([&](Bytes& f) { f.resize(largePayload + 8 * kSealed); }), RunOutcome::Failed,
         changed + kAgeTruncated + kAgeNothingWritten},
        {"cut inside the last block",
         editedLarge([&](Bytes& f) { f.resize(largePayload + 9 * kSealed + 999); }),
         RunOutcome::Failed, changed + kAgeChunkDamaged + kAgeNothingWritten},
        {"two chunks of a later block swapped", editedLarge([&](Bytes& f) {
             std::swap_ranges(f.begin() + largePayload + 5 * kSealed,
                              f.begin() + largePayload + 6 * kSealed,
                              f.begin() + largePayload + 6 * kSealed);
         }),
         RunOutcome::Failed, changed + kAgeChunkDamaged + kAgeNothingWritten},
        {"trailing bytes after a later block's full final chunk", withTrailingBytes(12 * kChunk),
         RunOutcome::Failed, changed + kAgeTrailingData + kAgeNothingWritten},
        {"a stanza not in base64",
         Text("age-encryption.org/v1\n-> X25519 abc\n!!!\n--- "
              "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n"),
         RunOutcome::Failed, changed + kAgeMalformedHeader + kAgeNothingWritten},
        {"a header of megabytes",
         [] {
             std::string text = "age-encryption.org/v1\n";
             while (text.size() < (std::size_t{5} << 20)) text += "-> x\n\n";
             return Text(text);
         }(),
         RunOutcome::Failed, changed + kAgeHeaderTooLarge + kAgeNothingWritten},
        {"another version", Text("age-encryption.org/v2\nwhatever follows\n"), RunOutcome::Failed,
         kAgeUnsupportedVersion},
        {"made for a passphrase", PassphraseFile(), RunOutcome::Failed, kAgeOtherRecipientKind},
        {"made for another recipient",
         [] {
             const age::X25519Recipient other = age::X25519Identity::Generate().Recipient();
             age::AgeEncryptor encryptor(std::span(&other, 1));
             Bytes file;
             encryptor.Write(PatternBytes(100, 1), file);
             encryptor.Finish(file);
             return file;
         }(),
         RunOutcome::NotOpened, kAgeNotOpened},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        WriteBytes(folder / "damaged.age", row.file);
        const Bytes existing = PatternBytes(777, 3);
        WriteBytes(folder / "target", existing);
        observer = {};
        const RunResult result = Run(Request(Direction::Decrypt, "damaged.age", "target"));
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(result.message, row.message);
        EXPECT_EQ(observer.events.back(), "warning:" + row.message);
        EXPECT_EQ(ReadBytes(folder / "target"), existing);
        EXPECT_EQ(folder.Listing(), (std::vector<std::string>{"damaged.age", "made-plain",
                                                              "made.age", "target", "uae"}));
    }
}

// The wrong password, with keys the run derives itself: the message names the key file by its
// fingerprint, and the head check is given nothing to doubt.
TEST_F(AgeRunTest, WrongPasswordIsNotOpenedWithTheFingerprint) {
    WriteBytes(folder / "made.age", EncryptedFile(PatternBytes(300000, 4)));
    RunRequest request = Request(Direction::Decrypt, "made.age", "target");
    request.ageKeys = nullptr;
    request.password = "Another pass";
    EXPECT_FALSE(HeadDecryption::Decrypt(request, 4096)) << "no doubt question for an age file";
    const RunResult result = Run(request);
    EXPECT_EQ(result.outcome, RunOutcome::NotOpened);
    const std::string expected =
        "密码或密钥文件不对：这个 age "
        "文件没有能用它们打开的接收者，没有写入任何文件（密钥文件指纹：" +
        *KeyFileFingerprint(folder / "uae") + "）。";
    EXPECT_EQ(result.message, expected);
    EXPECT_FALSE(std::filesystem::exists(folder / "target"));
}

// The keys a run derives itself from the password and key file are those of AgeKeys.
TEST_F(AgeRunTest, DerivesItsOwnKeysWhereNoneAreGiven) {
    WriteBytes(folder / "plain", PatternBytes(70000, 6));
    RunRequest encrypt = Request(Direction::Encrypt, "plain", "cipher.age");
    encrypt.ageKeys = nullptr;
    ASSERT_EQ(Run(encrypt).outcome, RunOutcome::Completed);
    RunRequest decrypt = Request(Direction::Decrypt, "cipher.age", "back");
    decrypt.ageKeys = std::make_shared<AgeKeys>(kPassword, folder / "uae");
    ASSERT_EQ(Run(decrypt).outcome, RunOutcome::Completed);
    EXPECT_EQ(ReadBytes(folder / "back"), PatternBytes(70000, 6));
}

// Cancel (answered yes) and stop in progress mode, in both directions: no target, no leftovers.
TEST_F(AgeRunTest, CancelAndStopInProgressModeLeaveNothing) {
    WriteBytes(folder / "plain", PatternBytes(std::size_t{2} << 20, 9));
    WriteBytes(folder / "made.age", EncryptedFile(PatternBytes(std::size_t{2} << 20, 9)));
    const struct {
        Direction direction;
        const char* source;
        bool stop;
        RunOutcome outcome;
    } rows[] = {
        {Direction::Encrypt, "plain", false, RunOutcome::Cancelled},
        {Direction::Encrypt, "plain", true, RunOutcome::Abandoned},
        {Direction::Decrypt, "made.age", false, RunOutcome::Cancelled},
        {Direction::Decrypt, "made.age", true, RunOutcome::Abandoned},
    };
    for (const auto& row : rows) {
        observer = {};
        observer.answers = {CancelAnswer::Yes};
        const RunRequest request = Request(row.direction, row.source, "target");
        observer.onPump = [&](int pump) {
            if (pump != 3) return;
            if (row.stop) {
                request.flags->RequestStop();
            } else {
                request.flags->RequestCancel();
            }
        };
        EXPECT_EQ(Run(request).outcome, row.outcome);
        EXPECT_TRUE(EnteredProgressMode());
        EXPECT_EQ(folder.Listing(),
                  (std::vector<std::string>{"made-plain", "made.age", "plain", "uae"}));
    }
}

// What the run writes opens with Debian's age and the identity file of its keys, and the other
// way round.
TEST_F(AgeRunTest, DebianAgeOpensWhatTheRunWrites) {
    const std::filesystem::path ageTool = KORVEL_AGE_TOOL;
    if (ageTool.empty() || !std::filesystem::exists(ageTool)) {
        GTEST_SKIP() << "no Debian age here (package age; none under wine)";
    }
    const Bytes plain = PatternBytes(5 * kChunk + 3, 10);
    WriteBytes(folder / "made.age", EncryptedFile(plain));
    {
        std::ofstream identity(folder / "identity.txt");
        identity << keys->Identities().front().IdentityFileText();
    }
    const std::string command = ageTool.string() + " -d -i '" + (folder / "identity.txt").string() +
                                "' -o '" + (folder / "out").string() + "' '" +
                                (folder / "made.age").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadBytes(folder / "out"), plain);

    // And the run reads what Debian's age writes for the keys' recipient.
    const std::string encrypt =
        ageTool.string() + " -r " + keys->Identities().front().Recipient().Text() + " -o '" +
        (folder / "theirs.age").string() + "' '" + (folder / "made-plain").string() + "'";
    ASSERT_EQ(std::system(encrypt.c_str()), 0);
    ASSERT_EQ(Run(Request(Direction::Decrypt, "theirs.age", "back")).outcome,
              RunOutcome::Completed);
    EXPECT_EQ(ReadBytes(folder / "back"), plain);
}

// The keys of an identity file need no password or key file: an age file opens with them alone,
// and a seed-format file, which they cannot open, is refused before anything is written.
TEST_F(AgeRunTest, IdentityFileKeysNeedNoPasswordAndRefuseTheSeedFormat) {
    const Bytes plain = PatternBytes(kChunk + 5, 11);
    WriteBytes(folder / "made.age", EncryptedFile(plain));
    WriteBytes(folder / "seed", PatternBytes(300, 12));
    const struct {
        const char* source;
        RunOutcome outcome;
        std::string message;
    } rows[] = {
        {"made.age", RunOutcome::Completed, TextsFor(Direction::Decrypt).completed},
        {"seed", RunOutcome::Refused, kSeedNeedsPassword},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        std::filesystem::remove(folder / "out");
        RunRequest request{Direction::Decrypt, folder / row.source, folder / "out", "", "no-key"};
        request.ageKeys = keys;
        const RunResult result = Run(request);
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(result.message, row.message);
        if (row.outcome == RunOutcome::Completed) {
            EXPECT_EQ(ReadBytes(folder / "out"), plain);
        } else {
            EXPECT_FALSE(std::filesystem::exists(folder / "out"));
        }
    }
}

}  // namespace
}  // namespace korvel::test
