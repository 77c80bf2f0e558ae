#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "cipher/KeyFileReader.h"
#include "cipher/Keystream.h"
#include "files/BinaryFile.h"
#include "headcheck/HeadJudge.h"
#include "tests/support/CipherTestSupport.h"

// Real heads of every format the judge checks, made by the tools that make such files
// (data/formats/make.sh), put through the seed cipher: encrypted under the right password and key
// file, then decrypted with the right ones or with a mistake.
namespace korvel::test {
namespace {

const std::string kPassword = "Kp7#mQ2xLr";

enum class Mistake {
    None,
    OtherKey,
    FourthCharacter,
    SeventhCharacter,
    LastCharacter,
    CodeSlip,
    OneMore
};

constexpr std::array kMistakes = {
    Mistake::None,          Mistake::OtherKey, Mistake::FourthCharacter, Mistake::SeventhCharacter,
    Mistake::LastCharacter, Mistake::CodeSlip, Mistake::OneMore};

std::string TriedPassword(Mistake mistake) {
    switch (mistake) {
        case Mistake::FourthCharacter:
            return "Kp7%mQ2xLr";
        case Mistake::SeventhCharacter:
            return "Kp7#mQZxLr";
        case Mistake::LastCharacter:
            return "Kp7#mQ2xLt";
        case Mistake::CodeSlip:  // one code off: the keystream changes by one at that position
            return "Kp7#mR2xLr";
        case Mistake::OneMore:
            return kPassword + "e";
        default:
            return kPassword;
    }
}

// The right key file and another one, both longer than the passwords' start positions.
class KeyFiles {
public:
    static const KeyFiles& Get() {
        static const KeyFiles files;
        return files;
    }
    std::filesystem::path Right() const { return folder_ / "uae"; }
    std::filesystem::path Other() const { return folder_ / "other" / "uae"; }

private:
    KeyFiles() {
        WriteBytes(Right(), PatternBytes(200000, 1));
        std::filesystem::create_directory(folder_ / "other");
        WriteBytes(Other(), PatternBytes(200000, 2));
    }

    TempFolder folder_;
};

QByteArray SeedTransform(QByteArray data, const std::string& password,
                         const std::filesystem::path& keyFile) {
    KeyFileReader key(BinaryFile::OpenForReading(keyFile));
    Keystream keystream;
    keystream.Start(password, key);
    keystream.Apply(reinterpret_cast<std::uint8_t*>(data.data()), std::size_t(data.size()));
    return data;
}

QByteArray DecryptedWith(const QByteArray& plain, Mistake mistake) {
    const KeyFiles& keys = KeyFiles::Get();
    const QByteArray ciphertext = SeedTransform(plain, kPassword, keys.Right());
    return SeedTransform(ciphertext, TriedPassword(mistake),
                         mistake == Mistake::OtherKey ? keys.Other() : keys.Right());
}

QByteArray Fixture(const char* name) {
    QFile file(QString(":/headcheck/data/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

HeadJudgement Judge(const QByteArray& head, bool wholeFile, const char* targetName,
                    std::size_t passwordLength) {
    return HeadJudge().Judge(head, wholeFile, targetName, static_cast<int>(passwordLength));
}

std::string Describe(const HeadJudgement& judgement) {
    return "taken for " + judgement.type.toStdString() + ": " + judgement.reason.toStdString();
}

constexpr auto P = HeadVerdict::Plausible;
constexpr auto I = HeadVerdict::Implausible;

struct FormatHead {
    const char* label;
    const char* fixture;  // under data/
    const char* targetName;
    bool wholeFile;  // false: the fixture is the first few KiB of a larger file
    std::array<HeadVerdict, kMistakes.size()> expected;  // in the order of kMistakes
};

const std::vector<FormatHead>& FormatHeads() {
    static const std::vector<FormatHead> heads = {
        {"ZipDeflatedAndStored", "formats/archive.zip", "archive.zip", true, {P, I, I, I, I, I, I}},
        {"ZipWithDataDescriptors",
         "formats/streamed.zip",
         "streamed.zip",
         true,
         {P, I, I, I, I, I, I}},
        {"JpegWithRestarts", "formats/photo.jpg", "photo.jpg", true, {P, I, I, I, I, I, I}},
        {"JpegProgressive", "formats/progressive.jpg", "photo.jpg", true, {P, I, I, I, I, I, I}},
        {"Tzif", "formats/Shanghai", "Shanghai", true, {P, I, I, I, I, I, I}},
        {"Terminfo16Bit", "formats/dumb", "dumb", true, {P, I, I, I, I, I, I}},
        {"Terminfo32Bit", "formats/xterm-256color", "xterm-256color", true, {P, I, I, I, I, I, I}},
        {"Gettext", "formats/messages.mo", "korvel.mo", true, {P, I, I, I, I, I, I}},
        {"GitPack", "formats/sample.pack", "pack-1d3c.pack", true, {P, I, I, I, I, I, I}},
        {"GitPackIndex", "formats/sample.idx", "pack-1d3c.idx", true, {P, I, I, I, I, I, I}},
        {"Pyc", "formats/sample.pyc", "sample.cpython-311.pyc", true, {P, I, I, I, I, I, I}},
        {"Xz", "formats/notes.txt.xz", "notes.txt.xz", true, {P, I, I, I, I, I, I}},
        {"TrueType", "formats/DejaVuSans-head.ttf", "DejaVuSans.ttf", false, {P, I, I, I, I, I, I}},
        {"OpenType",
         "formats/NimbusSans-Regular-head.otf",
         "NimbusSans-Regular.otf",
         false,
         {P, I, I, I, I, I, I}},
        {"FontCollection",
         "formats/NotoSansCJK-Regular-head.ttc",
         "NotoSansCJK-Regular.ttc",
         false,
         {P, I, I, I, I, I, I}},
        {"Ar", "formats/libcount.a", "libcount.a", true, {P, I, I, I, I, I, I}},
        {"Zlib", "formats/notes.zz", "notes.zz", true, {P, I, I, I, I, I, I}},
        {"GzipWithName", "formats/notes-named.txt.gz", "notes.txt.gz", true, {P, I, I, I, I, I, I}},
        {"Gzip", "notes-gbk.txt.gz", "notes.txt.gz", true, {P, I, I, I, I, I, I}},
        {"Png", "gradient.png", "gradient.png", true, {P, I, I, I, I, I, I}},
        {"ElfExecutable", "formats/hello-head.elf", "hello", false, {P, I, I, I, I, I, I}},
        {"ElfSmall", "tiny.elf", "tiny", true, {P, I, I, I, I, I, I}},
        {"SqliteWithIndex",
         "formats/orders.sqlite3",
         "orders.sqlite3",
         true,
         {P, I, I, I, I, I, I}},
        {"Sqlite", "inventory.sqlite3", "inventory.sqlite3", true, {P, I, I, I, I, I, I}},
    };
    return heads;
}

class FormatHeadTest : public testing::TestWithParam<std::tuple<std::size_t, std::size_t>> {};

TEST_P(FormatHeadTest, RightPasswordPassesAndWrongOnesFail) {
    const auto [headIndex, mistakeIndex] = GetParam();
    const FormatHead& head = FormatHeads()[headIndex];
    const QByteArray plain = Fixture(head.fixture);
    ASSERT_FALSE(plain.isEmpty()) << head.fixture;
    const Mistake mistake = kMistakes[mistakeIndex];
    const QByteArray decrypted = DecryptedWith(plain, mistake);
    ASSERT_EQ(decrypted == plain, mistake == Mistake::None);
    const HeadJudgement judgement =
        Judge(decrypted, head.wholeFile, head.targetName, TriedPassword(mistake).size());
    EXPECT_EQ(judgement.verdict, head.expected[mistakeIndex]) << Describe(judgement);
}

std::string CaseName(const testing::TestParamInfo<FormatHeadTest::ParamType>& info) {
    static constexpr std::array<const char*, kMistakes.size()> kNames = {
        "Right",         "OtherKey", "FourthCharacter", "SeventhCharacter",
        "LastCharacter", "CodeSlip", "OneMore"};
    return std::string(FormatHeads()[std::get<0>(info.param)].label) + "_" +
           kNames[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(FormatsAndMistakes, FormatHeadTest,
                         testing::Combine(testing::Range<std::size_t>(0, FormatHeads().size()),
                                          testing::Range<std::size_t>(0, kMistakes.size())),
                         CaseName);

// Any one character after the first two mistyped, at any position, as any other printable
// character (every third, to keep the rows few): the period of garbled bytes starts anywhere.
class FormatHeadTypoTest : public testing::TestWithParam<std::size_t> {};

TEST_P(FormatHeadTypoTest, AnyOneLaterCharacterWrongFails) {
    const FormatHead& head = FormatHeads()[GetParam()];
    const QByteArray plain = Fixture(head.fixture);
    ASSERT_FALSE(plain.isEmpty());
    const QByteArray ciphertext = SeedTransform(plain, kPassword, KeyFiles::Get().Right());
    std::vector<std::string> missed;
    for (std::size_t position = 2; position < kPassword.size(); ++position) {
        for (int code = '!'; code <= '~'; code += 3) {
            std::string tried = kPassword;
            tried[position] = static_cast<char>(code);
            if (tried == kPassword) {
                continue;
            }
            const HeadJudgement judgement =
                Judge(SeedTransform(ciphertext, tried, KeyFiles::Get().Right()), head.wholeFile,
                      head.targetName, tried.size());
            if (judgement.verdict != I) {
                missed.push_back(tried + " " + Describe(judgement));
            }
        }
    }
    EXPECT_TRUE(missed.empty()) << missed.size() << " mistakes missed, the first "
                                << missed.front();
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatHeadTypoTest,
                         testing::Range<std::size_t>(0, FormatHeads().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return std::string(FormatHeads()[info.param].label);
                         });

// The first bytes of a longer file, wherever they end: a structure cut there is no fault. A run
// hands the judge HeadJudge::kHeadSize bytes of a longer file, and an archive's member may be cut
// anywhere; from 16 bytes on, the longest signature, every cut must pass.
class FormatHeadCutTest : public testing::TestWithParam<std::size_t> {};

std::vector<qsizetype> CutPoints(qsizetype size) {
    constexpr qsizetype kLongestSignature = 16;
    std::vector<qsizetype> cuts;
    for (qsizetype cut = kLongestSignature; cut < std::min<qsizetype>(size, 512); ++cut) {
        cuts.push_back(cut);
    }
    for (qsizetype cut = 512; cut < size; cut += 61) {
        cuts.push_back(cut);
    }
    return cuts;
}

TEST_P(FormatHeadCutTest, AnyHeadOfTheFilePasses) {
    const FormatHead& head = FormatHeads()[GetParam()];
    const QByteArray plain = Fixture(head.fixture);
    ASSERT_FALSE(plain.isEmpty());
    std::vector<std::string> doubted;
    for (const qsizetype cut : CutPoints(plain.size())) {
        const HeadJudgement judgement =
            Judge(plain.first(cut), false, head.targetName, kPassword.size());
        if (judgement.verdict == I) {
            doubted.push_back(std::to_string(cut) + " bytes " + Describe(judgement));
        }
    }
    EXPECT_TRUE(doubted.empty()) << doubted.size() << " heads doubted, the first at "
                                 << doubted.front();
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatHeadCutTest,
                         testing::Range<std::size_t>(0, FormatHeads().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return std::string(FormatHeads()[info.param].label);
                         });

// Whole files that are short because they hold nothing, or nearly nothing.
struct ShortFile {
    const char* label;
    const char* fixture;
    const char* targetName;
};

void PrintTo(const ShortFile& file, std::ostream* out) { *out << file.label; }

class ShortWholeFileTest : public testing::TestWithParam<ShortFile> {};

TEST_P(ShortWholeFileTest, RightPasswordIsNotDoubted) {
    const ShortFile& file = GetParam();
    const QByteArray plain = Fixture(file.fixture);
    ASSERT_FALSE(plain.isEmpty()) << file.fixture;
    const HeadJudgement judgement =
        Judge(DecryptedWith(plain, Mistake::None), true, file.targetName, kPassword.size());
    EXPECT_NE(judgement.verdict, I) << Describe(judgement);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ShortWholeFileTest,
    testing::Values(ShortFile{"EmptyZip", "formats/empty.zip", "empty.zip"},
                    ShortFile{"EmptyGzip", "formats/empty.gz", "empty.txt.gz"},
                    ShortFile{"EmptyXz", "formats/empty.xz", "empty.txt.xz"},
                    ShortFile{"EmptyZlib", "formats/empty.zz", "empty.zz"},
                    ShortFile{"EmptyAr", "formats/empty.a", "libempty.a"},
                    ShortFile{"EmptyGettext", "formats/empty.mo", "empty.mo"},
                    ShortFile{"EmptyGitPack", "formats/empty.pack", "pack-0000.pack"},
                    ShortFile{"EmptySqlite", "formats/empty.sqlite3", "empty.sqlite3"},
                    ShortFile{"TzifUtc", "formats/UTC", "UTC"},
                    ShortFile{"OnePixelJpeg", "formats/dot.jpg", "dot.jpg"}),
    [](const testing::TestParamInfo<ShortFile>& info) { return std::string(info.param.label); });

// A whole file with one length or count field made far too large: the structure then reaches
// past the file's end, which the check must notice without reading past the head.
struct OversizedField {
    const char* label;
    const char* fixture;
    const char* targetName;
    qsizetype offset;
    QByteArrayView value;  // the bytes written at offset, in the field's own byte order
    HeadVerdict expected;
};

void PrintTo(const OversizedField& field, std::ostream* out) { *out << field.label; }

class OversizedFieldTest : public testing::TestWithParam<OversizedField> {};

TEST_P(OversizedFieldTest, IsJudgedWithoutReadingPastTheHead) {
    const OversizedField& field = GetParam();
    QByteArray plain = Fixture(field.fixture);
    ASSERT_GE(plain.size(), field.offset + field.value.size()) << field.fixture;
    plain.replace(field.offset, field.value.size(), field.value.toByteArray());
    const HeadJudgement judgement = Judge(plain, true, field.targetName, kPassword.size());
    EXPECT_EQ(judgement.verdict, field.expected) << Describe(judgement);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, OversizedFieldTest,
    testing::Values(
        OversizedField{"ZipNameLength", "formats/archive.zip", "archive.zip", 26, "\xFF\xFF", I},
        OversizedField{"ZipCompressedSize", "formats/archive.zip", "archive.zip", 18,
                       "\xF0\xFF\xFF\x7F", I},
        OversizedField{"JpegSegmentLength", "formats/photo.jpg", "photo.jpg", 4, "\xFF\xF0", I},
        OversizedField{"TzifTransitionCount", "formats/Shanghai", "Shanghai", 32,
                       QByteArrayView("\0\0\xFF\xF0", 4), I},
        OversizedField{"TerminfoNamesSize", "formats/dumb", "dumb", 2, "\xA0\x0F", I},
        OversizedField{"GettextStringCount", "formats/messages.mo", "korvel.mo", 8,
                       QByteArrayView("\xF0\xFF\xFF\0", 4), I},
        OversizedField{"GitPackObjectCount", "formats/sample.pack", "pack-1d3c.pack", 8,
                       QByteArrayView("\0\0\xFF\xF0", 4), I},
        OversizedField{"PycBytesLength", "formats/sample.pyc", "sample.cpython-311.pyc", 38,
                       QByteArrayView("\xF0\xFF\xFF\x03", 4), I},
        OversizedField{"XzBlockHeaderSize", "formats/notes.txt.xz", "notes.txt.xz", 12, "\xFF", I},
        OversizedField{"FontTableLength", "formats/DejaVuSans-head.ttf", "DejaVuSans.ttf", 24,
                       "\xFF\xFF\xFF\xF0", I},
        OversizedField{"ArMemberSize", "formats/libcount.a", "libcount.a", 56, "9999999999", I},
        OversizedField{"GzipStoredLength", "formats/notes-named.txt.gz", "notes.txt.gz", 350,
                       "\xF0\xFF\xFF\xFF", I},
        OversizedField{"PngChunkLength", "gradient.png", "gradient.png", 8, "\x7F\xFF\xFF\xF0", I},
        OversizedField{"ElfProgramHeaderCount", "tiny.elf", "tiny", 56, "\xFF\xFF", I},
        OversizedField{"SqlitePageCount", "inventory.sqlite3", "inventory.sqlite3", 28,
                       QByteArrayView("\0\xFF\xFF\xF0", 4), I}),
    [](const testing::TestParamInfo<OversizedField>& info) {
        return std::string(info.param.label);
    });

}  // namespace
}  // namespace korvel::test
