#include <gtest/gtest.h>

#include <random>

#include "run/CipherRun.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

std::string RandomPassword(std::mt19937& generator) {
    std::uniform_int_distribution<int> length(5, 20), code(32, 126);
    std::string password(static_cast<std::size_t>(length(generator)), ' ');
    for (char& c : password) c = static_cast<char>(code(generator));
    return password;
}

std::size_t RandomKeyLength(std::mt19937& generator, const std::string& password) {
    const std::size_t start =
        static_cast<std::size_t>(static_cast<unsigned char>(password[0])) * 1000 +
        static_cast<unsigned char>(password[1]);
    switch (generator() % 5) {
        case 0:
            return 0;
        case 1:
            return generator() % start;  // shorter than the start position
        case 2:
            return start;  // the start position is the last byte
        case 3:
            return start + generator() % 3000;  // a little longer
        default:
            return (1u << 20) + generator() % (3u << 20);  // longer than one read block
    }
}

std::size_t RandomDataLength(std::mt19937& generator) {
    switch (generator() % 4) {
        case 0:
            return generator() % 40;
        case 1:
            return 204790 + generator() % 20;  // around the progress threshold
        case 2:
            return generator() % 100000;
        default:
            return (1u << 20) - 50 + generator() % 2200000;
    }
}

// Random passwords, key files and data sizes: the run's output equals the definition applied
// byte by byte, and decryption returns the plaintext.
TEST(CipherProperty, RunsMatchTheByteWiseDefinition) {
    const unsigned seed = std::random_device{}();
    std::mt19937 generator(seed);
    TempFolder folder;
    for (int round = 0; round < 24; ++round) {
        const std::string password = RandomPassword(generator);
        const Bytes key = PatternBytes(RandomKeyLength(generator, password), generator());
        const Bytes plain = PatternBytes(RandomDataLength(generator), generator());
        SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round) +
                     " password [" + password + "] key " + std::to_string(key.size()) + " data " +
                     std::to_string(plain.size()));
        WriteBytes(folder / "uae", key);
        WriteBytes(folder / "plain", plain);

        RecordingObserver observer;
        const auto run = [&](Direction direction, const char* source, const char* target) {
            return CipherRun(
                       {direction, folder / source, folder / target, password, folder / "uae"},
                       observer)
                .outcome;
        };
        ASSERT_EQ(run(Direction::Encrypt, "plain", "cipher"), RunOutcome::Completed);
        const Bytes cipher = ReadBytes(folder / "cipher");
        ASSERT_EQ(cipher.size(), plain.size() + 10);
        ASSERT_EQ(Bytes(cipher.begin() + 10, cipher.end()),
                  ReferenceTransform(plain, password, key));
        ASSERT_EQ(run(Direction::Decrypt, "cipher", "back"), RunOutcome::Completed);
        ASSERT_EQ(ReadBytes(folder / "back"), plain);
    }
}

}  // namespace
}  // namespace korvel::test
