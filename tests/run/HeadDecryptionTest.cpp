#include <gtest/gtest.h>

#include "cipher/KeyFileReader.h"
#include "run/CipherRun.h"
#include "run/HeadDecryption.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

constexpr const char* kPassword = "Head~check 7";
constexpr std::size_t kHead = std::size_t{64} * 1024;

class HeadDecryptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        key = PatternBytes(150000, 7);
        WriteBytes(folder / "uae", key);
    }

    // A ciphertext made from the keystream's definition: any header, then the data.
    void WriteCiphertext(const Bytes& plain) {
        Bytes cipher(10, 0xA5);
        const Bytes data = ReferenceTransform(plain, kPassword, key);
        cipher.insert(cipher.end(), data.begin(), data.end());
        WriteBytes(folder / "cipher", cipher);
    }

    RunRequest Request() const {
        return {Direction::Decrypt, folder / "cipher", folder / "plain", kPassword, folder / "uae"};
    }

    TempFolder folder;
    Bytes key;
};

TEST_F(HeadDecryptionTest, DecryptsAtMostTheHeadAndSaysWhetherItIsTheWholeFile) {
    struct Row {
        std::size_t plainSize;
        std::size_t expectedSize;
        bool wholeFile;
    };
    for (const Row row :
         {Row{0, 0, true}, Row{1, 1, true}, Row{1000, 1000, true}, Row{kHead - 1, kHead - 1, true},
          Row{kHead, kHead, true}, Row{kHead + 1, kHead, false}, Row{300000, kHead, false}}) {
        SCOPED_TRACE(row.plainSize);
        const Bytes plain = PatternBytes(row.plainSize, static_cast<std::uint32_t>(row.plainSize));
        WriteCiphertext(plain);
        const auto head = HeadDecryption::Decrypt(Request(), kHead);
        ASSERT_TRUE(head);
        EXPECT_EQ(head->wholeFile, row.wholeFile);
        EXPECT_EQ(head->bytes, Bytes(plain.begin(), plain.begin() + row.expectedSize));
    }
}

// Nothing to judge is left to the run, which says why.
TEST_F(HeadDecryptionTest, GivesNothingWhenSourceOrKeyFileCannotBeRead) {
    WriteCiphertext(PatternBytes(500, 1));
    const std::string ageStart = "age-encryption.org/v1\n-> X25519 abc\n";
    WriteBytes(folder / "age", Bytes(ageStart.begin(), ageStart.end()));
    struct Row {
        const char* what;
        std::filesystem::path source;
        std::filesystem::path keyFile;
        std::string password;
    };
    for (const Row& row : {Row{"no source", folder / "missing", folder / "uae", kPassword},
                           Row{"no key file", folder / "cipher", folder / "missing", kPassword},
                           Row{"key file a folder", folder / "cipher", folder.Path(), kPassword},
                           Row{"password too short", folder / "cipher", folder / "uae", "x"},
                           Row{"an age file, which the run judges exactly", folder / "age",
                               folder / "uae", kPassword}}) {
        SCOPED_TRACE(row.what);
        RunRequest request = Request();
        request.source = row.source;
        request.keyFile = row.keyFile;
        request.password = row.password;
        EXPECT_FALSE(HeadDecryption::Decrypt(request, kHead));
    }
}

// The window's decryption: the key file is opened once, for the head and the run. Once open, it
// is not looked for again: the run goes on after its name has gone.
TEST_F(HeadDecryptionTest, HeadAndRunShareTheKeyFileOpenedOnce) {
    const Bytes plain = PatternBytes(200000, 3);
    WriteCiphertext(plain);
    RunRequest request = Request();
    HeadDecryption::OpenKeyFor(request);
    ASSERT_TRUE(request.keyReader);
    const KeyFileReader* opened = request.keyReader.get();
    HeadDecryption::OpenKeyFor(request);
    EXPECT_EQ(request.keyReader.get(), opened);  // an open key file is kept

    // Where the system lets an open file's name go (POSIX), the head and the run do without it;
    // Windows keeps the name of a file that is open.
    std::error_code removal;
    std::filesystem::remove(folder / "uae", removal);
    const auto head = HeadDecryption::Decrypt(request, kHead);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->bytes, Bytes(plain.begin(), plain.begin() + kHead));
    RecordingObserver observer;
    ASSERT_EQ(CipherRun(request, observer).outcome, RunOutcome::Completed);
    EXPECT_EQ(ReadBytes(folder / "plain"), plain);
}

TEST_F(HeadDecryptionTest, KeyFileThatCannotBeOpenedIsLeftToTheRun) {
    RunRequest request = Request();
    request.keyFile = folder / "missing";
    HeadDecryption::OpenKeyFor(request);
    EXPECT_FALSE(request.keyReader);
}

}  // namespace
}  // namespace korvel::test
