#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "AgeTestSupport.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

const std::filesystem::path kAge = KORVEL_AGE_TOOL;

int RunCommand(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str());
}

std::string Quoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

// Debian's age reads what we write and we read what it writes, in both directions, over sizes
// on both sides of a chunk.
TEST(AgeInterop, DebianAgeAndKorvelReadEachOther) {
    if (kAge.empty() || !std::filesystem::exists(kAge)) {
        GTEST_SKIP() << "no Debian age here (package age; none under wine)";
    }
    TempFolder folder;
    const age::X25519Identity identity = age::X25519Identity::Generate();
    {
        std::ofstream file(folder / "identity.txt");
        file << identity.IdentityFileText();
    }
    for (std::size_t size : {std::size_t{0}, std::size_t{65536}, std::size_t{200003}}) {
        SCOPED_TRACE(size);
        const Bytes plaintext = PatternBytes(size, 9);
        WriteBytes(folder / "ours.age", AgeEncrypt(identity.Recipient(), plaintext, 4096));
        ASSERT_EQ(RunCommand(kAge.string() + " -d -i " + Quoted(folder / "identity.txt") + " -o " +
                             Quoted(folder / "by-age.out") + " " + Quoted(folder / "ours.age")),
                  0);
        EXPECT_EQ(ReadBytes(folder / "by-age.out"), plaintext);

        WriteBytes(folder / "plain", plaintext);
        ASSERT_EQ(RunCommand(kAge.string() + " -r " + identity.Recipient().Text() + " -o " +
                             Quoted(folder / "theirs.age") + " " + Quoted(folder / "plain")),
                  0);
        EXPECT_EQ(AgeDecrypt(identity, ReadBytes(folder / "theirs.age"), 65536), plaintext);
        std::filesystem::remove(folder / "by-age.out");
        std::filesystem::remove(folder / "theirs.age");
    }
}

TEST(AgeInterop, DebianAgeRefusesWhatWeRefuse) {
    if (kAge.empty() || !std::filesystem::exists(kAge)) {
        GTEST_SKIP() << "no Debian age here (package age; none under wine)";
    }
    TempFolder folder;
    const age::X25519Identity identity = age::X25519Identity::Generate();
    {
        std::ofstream file(folder / "identity.txt");
        file << identity.IdentityFileText();
    }
    Bytes file = AgeEncrypt(identity.Recipient(), PatternBytes(70000, 1), 4096);
    file.resize(file.size() - 70000 + 65536);  // cut inside the final chunk
    WriteBytes(folder / "cut.age", file);
    EXPECT_NE(RunCommand(kAge.string() + " -d -i " + Quoted(folder / "identity.txt") + " -o " +
                         Quoted(folder / "out") + " " + Quoted(folder / "cut.age")),
              0);
    EXPECT_EQ(AgeFault(identity, file), age::AgeErrorKind::PayloadDamaged);
}

}  // namespace
}  // namespace korvel::test
