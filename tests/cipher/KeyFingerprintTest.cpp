#include <gtest/gtest.h>

#include "cipher/KeyFingerprint.h"
#include "cipher/Keystream.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

Bytes Pattern(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>((i * 7 + 3) % 251);
    return bytes;
}

struct FingerprintRow {
    const char* what;
    Bytes key;
    // The first 8 bytes of the file's SHA-256, as sha256sum prints it.
    const char* expected;
};

// Known SHA-256 digests: the empty message, "abc", and a key longer than the reader's blocks.
std::vector<FingerprintRow> Rows() {
    return {{"empty", {}, "E3B0-C442-98FC-1C14"},
            {"abc", {'a', 'b', 'c'}, "BA78-16BF-8F01-CFEA"},
            {"3 MiB and 5 bytes", Pattern((std::size_t{3} << 20) + 5), "3E15-FCBA-816E-B209"}};
}

TEST(KeyFingerprint, IsTheStartOfTheKeyFilesSha256InGroupsOfFour) {
    TempFolder folder;
    for (const FingerprintRow& row : Rows()) {
        SCOPED_TRACE(row.what);
        WriteBytes(folder / "uae", row.key);
        EXPECT_EQ(KeyFileFingerprint(folder / "uae"), row.expected);

        // An open key file, wherever its reader stands, gives the same and still keys a run.
        KeyFileReader reader(BinaryFile::OpenForReading(folder / "uae"));
        reader.StartAt(row.key.size() / 2 + 1);
        if (!row.key.empty()) reader.Next(1);
        EXPECT_EQ(KeyFileFingerprint(reader), row.expected);
        Keystream keystream;
        keystream.Start("Key file 1", reader);
        Bytes stream(4000, 0);
        keystream.Apply(stream.data(), stream.size());
        EXPECT_EQ(stream, ReferenceKeystream("Key file 1", row.key, stream.size()));
    }
}

TEST(KeyFingerprint, NothingWhenTheKeyFileCannotBeRead) {
    TempFolder folder;
    EXPECT_EQ(KeyFileFingerprint(folder / "missing"), std::nullopt);
    EXPECT_EQ(KeyFileFingerprint(folder.Path()), std::nullopt);
}

}  // namespace
}  // namespace korvel::test
