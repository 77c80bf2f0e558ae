#include <gtest/gtest.h>

#include "cipher/KeyFileReader.h"
#include "cipher/Keystream.h"
#include "cipher/KeystreamKernel.h"
#include "cipher/RandomInRange.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

Bytes StreamFromFile(const std::string& password, const Bytes& key, std::size_t count,
                     bool byteByByte) {
    TempFolder folder;
    WriteBytes(folder / "uae", key);
    KeyFileReader reader(BinaryFile::OpenForReading(folder / "uae"));
    Keystream keystream;
    keystream.Start(password, reader);
    Bytes stream(count, 0);
    if (byteByByte) {
        for (auto& byte : stream) byte = keystream.NextByte();
    } else {
        keystream.Apply(stream.data(), stream.size());  // XOR into zeros gives the stream itself
    }
    return stream;
}

TEST(KeystreamByte, EndAroundCarrySums) {
    EXPECT_EQ(KeystreamByte(120, 200), 65);
    EXPECT_EQ(KeystreamByte(100, 155), 255);
    EXPECT_EQ(KeystreamByte(100, 156), 1);
    EXPECT_EQ(KeystreamByte(126, 255), 126);
    for (unsigned code = 32; code <= 126; ++code) {
        for (unsigned key = 0; key <= 255; ++key) {
            ASSERT_NE(
                KeystreamByte(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(key)), 0);
        }
    }
}

TEST(Keystream, StartPositionComesFromTheFirstTwoCodes) {
    EXPECT_EQ(Keystream::StartPosition("     "), 32032u);
    EXPECT_EQ(Keystream::StartPosition("~~~~~"), 126126u);
    EXPECT_EQ(Keystream::StartPosition("Ab345"), 65u * 1000 + 98);
}

TEST(Keystream, FirstByteUsesTheKeyByteAtTheStartPosition) {
    Bytes key(40000, 0);
    key[32031] = 7;  // position 32032
    key[32032] = 9;
    const Bytes stream = StreamFromFile("     ", key, 2, true);
    EXPECT_EQ(stream, (Bytes{32 + 7, 32 + 9}));
}

TEST(Keystream, KeyOfExactlyStartPositionBytesWrapsAfterItsLastByte) {
    Bytes key = PatternBytes(32032, 3);
    const Bytes stream = StreamFromFile("     ", key, 3, true);
    EXPECT_EQ(stream[0], KeystreamByte(32, key[32031]));
    EXPECT_EQ(stream[1], KeystreamByte(32, key[0]));
    EXPECT_EQ(stream[2], KeystreamByte(32, key[1]));
}

TEST(Keystream, KeyShorterThanStartPositionYieldsZeroOnceThenWraps) {
    const Bytes key = PatternBytes(1000, 4);
    const Bytes stream = StreamFromFile("abcdefg", key, 3, true);
    EXPECT_EQ(stream[0], 'a');
    EXPECT_EQ(stream[1], KeystreamByte('b', key[0]));
    EXPECT_EQ(stream, ReferenceKeystream("abcdefg", key, 3));
}

TEST(Keystream, EmptyKeyFileGivesThePasswordCodesAlone) {
    const Bytes stream = StreamFromFile("hello", {}, 12, false);
    EXPECT_EQ(stream, (Bytes{'h', 'e', 'l', 'l', 'o', 'h', 'e', 'l', 'l', 'o', 'h', 'e'}));
}

// Block and byte forms must both follow the definition across password lengths, key lengths
// around the start position and the block size, and data long enough to wrap the key.
TEST(Keystream, BlockAndByteFormsMatchTheDefinition) {
    struct Case {
        std::string password;
        std::size_t keyLength;
        std::size_t count;
    };
    const std::vector<Case> cases = {
        {"12345", 126126, 300000},
        {"~~~~~~~~~~~~~~~~~~~~", 126126, 300000},
        {"~~~~~~~~~~~~~~~~~~~~", 126125, 1000},
        {"pass word", 17, 100000},
        {"Zz9 !", 32032 + 3, 70000},
        {"(long key)", KeyFileReader::kBlockSize * 2 + 13, KeyFileReader::kBlockSize * 5 + 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password + " / " + std::to_string(c.keyLength));
        const Bytes key = PatternBytes(c.keyLength, static_cast<std::uint32_t>(c.keyLength));
        const Bytes expected = ReferenceKeystream(c.password, key, c.count);
        EXPECT_EQ(StreamFromFile(c.password, key, c.count, false), expected);
        if (c.count <= 300000) {
            EXPECT_EQ(StreamFromFile(c.password, key, c.count, true), expected);
        }
    }
}

TEST(Keystream, PasswordCodesCycleInOrder) {
    for (const std::string password : {"abcde", "ABCDEFGHIJKLMNOPQRST"}) {
        const Bytes stream = StreamFromFile(password, {}, password.size() * 3 + 1, false);
        for (std::size_t n = 0; n < stream.size(); ++n) {
            ASSERT_EQ(stream[n], static_cast<std::uint8_t>(password[n % password.size()])) << n;
        }
    }
}

TEST(KeystreamKernel, VectorFormsAgreeWithPortableForm) {
    using Kernel = void (*)(std::uint8_t*, const std::uint8_t*, const std::uint8_t*, std::size_t);
    const struct {
        const char* name;
        bool available;
        Kernel kernel;
    } forms[] = {
        {"16-byte", HasVectorKernel(), XorKeystreamVector},
        {"32-byte", HasWideVectorKernel(), XorKeystreamWideVector},
        {"chosen", true, XorKeystream},
    };
    Bytes codes(4096), keys(4096);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        codes[i] = static_cast<std::uint8_t>(i % 256);  // every code and key pair
        keys[i] = static_cast<std::uint8_t>((i / 256) * 17 + i * 31);
    }
    const Bytes data = PatternBytes(4096, 11);
    for (const auto& form : forms) {
        if (!form.available) continue;  // not on this processor
        SCOPED_TRACE(form.name);
        for (std::size_t offset : {0u, 1u, 7u, 15u, 31u}) {
            for (std::size_t count :
                 {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 63u, 64u, 65u, 97u, 1000u, 4000u}) {
                Bytes portable(data.begin() + offset, data.begin() + offset + count);
                Bytes vector = portable;
                XorKeystreamPortable(portable.data(), codes.data() + offset, keys.data() + offset,
                                     count);
                form.kernel(vector.data(), codes.data() + offset, keys.data() + offset, count);
                ASSERT_EQ(portable, vector) << "offset " << offset << " count " << count;
            }
        }
        Bytes all(65536, 0), allCodes(65536), allKeys(65536);
        for (std::size_t i = 0; i < all.size(); ++i) {
            allCodes[i] = static_cast<std::uint8_t>(i);
            allKeys[i] = static_cast<std::uint8_t>(i >> 8);
        }
        form.kernel(all.data(), allCodes.data(), allKeys.data(), all.size());
        for (std::size_t i = 0; i < all.size(); ++i) {
            ASSERT_EQ(all[i], KeystreamByte(allCodes[i], allKeys[i])) << i;
        }
    }
}

TEST(RandomInRange, StaysInRangeAndReachesEveryByte) {
    std::vector<int> seen(256, 0);
    for (int i = 0; i < 200000; ++i) {
        const int value = RandomInRange(0, 255);
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 255);
        ++seen[value];
    }
    for (int value = 0; value < 256; ++value) EXPECT_GT(seen[value], 0) << value;
    EXPECT_EQ(RandomInRange(5, 5), 5);
}

TEST(RandomInRange, ConsecutiveDrawsDoNotRepeatOneValue) {
    // Re-seeding from a clock before every draw gave runs of one byte within a tick.
    int longestRun = 1, run = 1;
    int previous = RandomInRange(0, 255);
    for (int i = 0; i < 10000; ++i) {
        const int value = RandomInRange(0, 255);
        run = value == previous ? run + 1 : 1;
        longestRun = std::max(longestRun, run);
        previous = value;
    }
    EXPECT_LT(longestRun, 5);
}

}  // namespace
}  // namespace korvel::test
