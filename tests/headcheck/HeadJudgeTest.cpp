#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "cipher/Keystream.h"
#include "cipher/KeystreamKernel.h"
#include "headcheck/HeadJudge.h"

namespace korvel {
namespace {

enum class Mistake {
    None,
    OtherKey,
    FirstTwo,
    LaterSlip,
    SwappedCase,
    Transposed,
    OneMore,
    CodeSlip
};

// The password the heads are encrypted under, and what each mistake makes of it.
const std::string kPassword = "Kp7#mQ2xLr";

std::string TriedPassword(Mistake mistake) {
    switch (mistake) {
        case Mistake::FirstTwo:
            return "Lq7#mQ2xLr";
        case Mistake::LaterSlip:
            return "Kp7#m!2xLr";
        case Mistake::SwappedCase:
            return "Kp7#mq2xLr";
        case Mistake::Transposed:
            return "Kp7#mQx2Lr";
        case Mistake::OneMore:
            return kPassword + "e";
        case Mistake::CodeSlip:  // one code off: the keystream's low bits change
            return "Kp7#mR2xLr";
        default:
            return kPassword;
    }
}

std::vector<std::uint8_t> RandomKey(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> key(200000);
    for (auto& byte : key) {
        byte = static_cast<std::uint8_t>(random());
    }
    return key;
}

void ApplyKeystream(QByteArray& data, const std::string& password,
                    const std::vector<std::uint8_t>& key) {
    const std::uint64_t start = Keystream::StartPosition(password) - 1;
    for (qsizetype n = 0; n < data.size(); ++n) {
        const auto code = static_cast<std::uint8_t>(password[std::size_t(n) % password.size()]);
        const std::uint8_t keyByte = key[(start + std::uint64_t(n)) % key.size()];
        data[n] =
            static_cast<char>(static_cast<std::uint8_t>(data[n]) ^ KeystreamByte(code, keyByte));
    }
}

// The head as the judge sees it after encrypting under the right password and key file and
// decrypting with the mistake.
QByteArray DecryptedWith(const QByteArray& plain, Mistake mistake) {
    static const std::vector<std::uint8_t> rightKey = RandomKey(1);
    static const std::vector<std::uint8_t> otherKey = RandomKey(2);
    QByteArray data = plain;
    ApplyKeystream(data, kPassword, rightKey);
    ApplyKeystream(data, TriedPassword(mistake),
                   mistake == Mistake::OtherKey ? otherKey : rightKey);
    return data;
}

QByteArray Fixture(const char* name) {
    QFile file(QString(":/headcheck/data/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray EnglishText() {
    const QByteArray paragraph =
        "Before a file is encrypted, make sure the key file has been copied to both computers\n"
        "and that the two copies are the same. A password has five to twenty characters, each\n"
        "one a character the keyboard can print. When a decrypted file looks wrong, one character\n"
        "of the password was most likely mistyped, or another key file was used.\n\n";
    QByteArray text;
    for (int section = 1; text.size() < 3000; ++section) {
        text += "Section " + QByteArray::number(section) + "\n\n" + paragraph;
    }
    return text;
}

QByteArray CSource() {
    QByteArray source = "#include <stdio.h>\n#include <string.h>\n\n";
    for (int index = 0; source.size() < 3000; ++index) {
        const QByteArray number = QByteArray::number(index);
        source += "static int count_" + number +
                  "(const char *text) {\n"
                  "    int total = 0;\n"
                  "    for (size_t i = 0; i < strlen(text); ++i) {\n"
                  "        if (text[i] == '" +
                  QByteArray(1, char('a' + index % 26)) +
                  "') {\n"
                  "            total += " +
                  number +
                  ";\n"
                  "        }\n"
                  "    }\n"
                  "    return total;\n"
                  "}\n\n";
    }
    return source;
}

QByteArray RandomBytes() {
    std::mt19937 random(3);
    QByteArray bytes(5000, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

constexpr auto P = HeadVerdict::Plausible;
constexpr auto I = HeadVerdict::Implausible;
constexpr auto C = HeadVerdict::CannotTell;
constexpr std::array kMistakes = {Mistake::None,      Mistake::OtherKey,    Mistake::FirstTwo,
                                  Mistake::LaterSlip, Mistake::SwappedCase, Mistake::Transposed,
                                  Mistake::OneMore,   Mistake::CodeSlip};

struct Kind {
    const char* label;
    const char* targetName;
    std::function<QByteArray()> plain;
    std::array<HeadVerdict, kMistakes.size()> expected;  // in the order of kMistakes
};

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        // One code off keeps letters letters, and English text reads on.
        {"EnglishText", "notes.txt", EnglishText, {P, I, I, I, I, I, I, P}},
        {"CSource", "count.c", CSource, {P, I, I, I, I, I, I, I}},
        {"GbkText", "notes.txt", [] { return Fixture("notes-gbk.txt"); }, {P, I, I, I, I, I, I, I}},
        {"Gzip",
         "notes.txt.gz",
         [] { return Fixture("notes-gbk.txt.gz"); },
         {P, I, I, I, I, I, I, I}},
        {"Png", "gradient.png", [] { return Fixture("gradient.png"); }, {P, I, I, I, I, I, I, I}},
        {"Elf", "tiny", [] { return Fixture("tiny.elf"); }, {P, I, I, I, I, I, I, I}},
        {"Sqlite",
         "inventory.sqlite3",
         [] { return Fixture("inventory.sqlite3"); },
         {P, I, I, I, I, I, I, I}},
        {"ZhText", "notes.txt", [] { return Fixture("notes-zh.txt"); }, {P, I, I, I, I, I, I, I}},
        // Old texts, simplified and traditional, have many rare characters.
        {"ZhPoems", "poems.txt", [] { return Fixture("poems-zh.txt"); }, {P, I, I, I, I, I, I, I}},
        // Lines of one length put a column of rare given names in the same classes, which a wrong
        // character there cannot be told from: the right password is what counts.
        {"ZhNames", "names.txt", [] { return Fixture("names-zh.txt"); }, {P, I, I, P, P, I, I, P}},
        // Raw random data looks the same decrypted right or wrong.
        {"RandomBin", "noise.bin", RandomBytes, {C, C, C, C, C, C, C, C}},
    };
    return kinds;
}

class HeadJudgeTest : public testing::TestWithParam<std::tuple<std::size_t, std::size_t>> {};

TEST_P(HeadJudgeTest, JudgesEachMistakeOnEachKindOfHead) {
    const auto [kindIndex, mistakeIndex] = GetParam();
    const Kind& kind = Kinds()[kindIndex];
    const QByteArray plain = kind.plain();
    ASSERT_FALSE(plain.isEmpty());
    const Mistake mistake = kMistakes[mistakeIndex];
    const HeadJudgement judgement =
        HeadJudge().Judge(DecryptedWith(plain, mistake), true, kind.targetName,
                          static_cast<int>(TriedPassword(mistake).size()));
    EXPECT_EQ(judgement.verdict, kind.expected[mistakeIndex])
        << "taken for " << judgement.type.toStdString() << ": " << judgement.reason.toStdString();
}

std::string CaseName(const testing::TestParamInfo<HeadJudgeTest::ParamType>& info) {
    static constexpr std::array<const char*, kMistakes.size()> kNames = {
        "Right",       "OtherKey",   "FirstTwo", "LaterSlip",
        "SwappedCase", "Transposed", "OneMore",  "CodeSlip"};
    return std::string(Kinds()[std::get<0>(info.param)].label) + "_" +
           kNames[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(KindsAndMistakes, HeadJudgeTest,
                         testing::Combine(testing::Range<std::size_t>(0, Kinds().size()),
                                          testing::Range<std::size_t>(0, kMistakes.size())),
                         CaseName);

}  // namespace
}  // namespace korvel
