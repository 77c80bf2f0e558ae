// Random bytes under a name that says the file has no header: right or wrong, the decrypted head
// looks the same, so the judge cannot tell, whatever its first bytes or a statistic say.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "headcheck/HeadJudge.h"

namespace korvel {
namespace {

const std::vector<std::string> kHeaderlessNames = {"a.bin", "a.dat",    "a.enc", "a.raw", "a.key",
                                                   "a.rnd", "a.gpg",    "a.pgp", "a.p12", "a.pfx",
                                                   "a.br",  "a.brotli", "A.BIN"};

QByteArray RandomHead(std::uint64_t seed, qsizetype size) {
    std::mt19937_64 engine(seed);
    QByteArray head(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; i += 8) {
        const std::uint64_t word = engine();
        std::memcpy(head.data() + i, &word, sizeof word);
    }
    return head;
}

HeadJudgement Judged(const QByteArray& head, const std::string& name, int passwordLength) {
    return HeadJudge().Judge(head, true, QString::fromStdString(name), passwordLength);
}

TEST(RandomHeadUnderHeaderlessName, CannotBeTold) {
    for (const std::string& name : kHeaderlessNames) {
        for (const qsizetype size : {qsizetype{4096}, qsizetype{65536}}) {
            for (const std::uint64_t seed : {1, 2, 3}) {
                const int length = 5 + static_cast<int>(seed * 7 % 16);
                SCOPED_TRACE(name + ", " + std::to_string(size) + " bytes, seed " +
                             std::to_string(seed));
                const HeadJudgement judgement = Judged(RandomHead(seed, size), name, length);
                EXPECT_EQ(judgement.verdict, HeadVerdict::CannotTell)
                    << judgement.reason.toStdString();
            }
        }
    }
}

struct DoubtedHead {
    const char* what;
    std::uint64_t seed;
    qsizetype size;
    int passwordLength;
    QByteArray start;  // put over the head's first bytes
};

// Heads of 4 KiB that were once doubted under such names: a format's two-byte signature at the
// start, and byte values that happen to gather where a password one character too long would
// leave them.
std::vector<DoubtedHead> DoubtedHeads() {
    return {{"ar signature", 11, 4096, 9, "!<"},
            {"gzip signature", 12, 4096, 7, "\x1F\x8B"},
            {"ELF signature", 13, 4096, 12,
             "\x7F"
             "E"},
            {"gettext signature", 14, 4096, 20, "\xDE\x12"},
            {"terminfo signature", 15, 4096, 5, "\x1A\x01"},
            {"xz signature", 16, 65536, 11,
             "\xFD"
             "7"},
            {"zlib signature", 17, 65536, 8, "\x78\x9C"},
            {"JPEG signature", 18, 65536, 15, "\xFF\xD8"},
            {"gathered value 71", 2976, 4096, 5, {}},
            {"gathered value 32", 15313, 4096, 6, {}},
            {"gathered value 59", 16883, 4096, 8, {}},
            {"gathered value 109", 23460, 4096, 9, {}},
            {"gathered value 242", 31512, 4096, 13, {}}};
}

// Under a name that says nothing, the same heads are doubted for their signature or their values,
// as any random head is: the name alone makes them impossible to tell.
TEST(RandomHeadUnderHeaderlessName, ThatOnceRaisedDoubtCannotBeTold) {
    for (const DoubtedHead& row : DoubtedHeads()) {
        SCOPED_TRACE(row.what);
        QByteArray head = RandomHead(row.seed, row.size);
        head.replace(0, row.start.size(), row.start);
        const HeadJudgement unnamed = Judged(head, "a", row.passwordLength);
        EXPECT_EQ(unnamed.verdict, HeadVerdict::Implausible);
        EXPECT_NE(unnamed.reason, "random-looking bytes without a known signature")
            << "the row no longer reaches the signature's or the values' check";
        for (const std::string& name : kHeaderlessNames) {
            const HeadJudgement judgement = Judged(head, name, row.passwordLength);
            EXPECT_EQ(judgement.verdict, HeadVerdict::CannotTell)
                << name << ": " << judgement.reason.toStdString();
        }
    }
}

}  // namespace
}  // namespace korvel
