#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <memory>
#include <vector>

#include "gtest/gtest.h"
#include "gui/FileSetTexts.h"
#include "gui/SourceDropTarget.h"
#include "run/RunRequest.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

// The requests a window hands to its run, in turn.
class RunRequests {
public:
    explicit RunRequests(WindowHarness& harness) {
        harness.window().setRunStartWatcher(
            [this](const RunRequest& request) { requests_.push_back(request); });
    }
    const std::vector<RunRequest>& All() const { return requests_; }

private:
    std::vector<RunRequest> requests_;
};

// Encrypting, the target's name chooses the format; decrypting, the source tells, so the
// window asks for nothing in particular.
TEST(AgeFormatTest, TheTargetNameChoosesTheFormatOfAnEncryption) {
    const struct {
        Direction direction;
        const char* target;
        CipherFormat expected;
    } cases[] = {
        {Direction::Encrypt, "x.age", CipherFormat::Age},
        {Direction::Encrypt, "X.AGE", CipherFormat::Age},
        {Direction::Encrypt, "报告.Age", CipherFormat::Age},
        {Direction::Encrypt, "x.age.txt", CipherFormat::Seed},
        {Direction::Encrypt, "x", CipherFormat::Seed},
        {Direction::Encrypt, "xage", CipherFormat::Seed},
        {Direction::Encrypt, ".age", CipherFormat::Seed},  // a hidden file's whole name
        {Direction::Decrypt, "x.age", CipherFormat::Seed},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.direction == Direction::Encrypt ? "encrypt " : "decrypt ") +
                     row.target);
        WindowHarness harness(row.direction);
        RunRequests runs(harness);
        harness.dialogs.doubtAnswers.assign(4, DoubtAnswer::DecryptAnyway);  // random sources
        harness.chooseFiles(QStringLiteral("in.bin"), 1000, QString::fromUtf8(row.target));
        harness.confirmPassword(QStringLiteral("Secret1"));
        ASSERT_TRUE(harness.run());
        ASSERT_EQ(runs.All().size(), 1u);
        EXPECT_EQ(runs.All()[0].format, row.expected);
    }
}

// One set of age keys per confirmed password and key file: the runs after one confirmation share
// it, so that scrypt runs once for them; a new confirmation or another key file makes new ones.
TEST(AgeFormatTest, TheRunsOfOneConfirmationShareTheirAgeKeys) {
    for (const Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
        SCOPED_TRACE(direction == Direction::Encrypt ? "encrypt" : "decrypt");
        WindowHarness harness(direction);
        RunRequests runs(harness);
        harness.dialogs.doubtAnswers.assign(4, DoubtAnswer::DecryptAnyway);  // a random source
        harness.chooseFiles(QStringLiteral("in.bin"), 1000, QStringLiteral("out1.age"));
        const auto runTo = [&](const char* target) {
            harness.box("Text2")->setText(harness.pathInFolder(QString::fromLatin1(target)));
            ASSERT_TRUE(harness.run());
        };
        harness.confirmPassword(QStringLiteral("Secret1"));
        runTo("out1.age");
        runTo("out2.age");
        harness.click("Command6");  // 更改密码
        harness.confirmPassword(QStringLiteral("Secret1"));
        runTo("out3.age");
        // Another key file in the program's folder, seen at the window's next activation.
        WriteFile(harness.pathInFolder(QStringLiteral("uae")), 300000);
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&harness.window(), &activate);
        runTo("out4.age");

        ASSERT_EQ(runs.All().size(), 4u);
        const auto keys = [&](std::size_t run) { return runs.All()[run].ageKeys; };
        ASSERT_NE(keys(0), nullptr);
        EXPECT_EQ(keys(0), keys(1)) << "two runs of one confirmation";
        EXPECT_NE(keys(2), keys(1)) << "confirmed again";
        ASSERT_NE(keys(3), nullptr);
        EXPECT_NE(keys(3), keys(2)) << "another key file";
    }
}

// The Save dialog of a decryption suggests the source's name without ".age"; everything else
// suggests the source's name as it is, as always.
TEST(AgeFormatTest, TheSaveDialogOfADecryptionSuggestsTheNameWithoutAge) {
    const struct {
        Direction direction;
        const char* source;
        const char* suggested;
    } cases[] = {
        {Direction::Decrypt, "/data/报告.docx.age", "/data/报告.docx"},
        {Direction::Decrypt, "/data/X.AGE", "/data/X"},
        {Direction::Decrypt, "/data/x.age.txt", "/data/x.age.txt"},
        {Direction::Decrypt, "/data/x.txt", "/data/x.txt"},
        {Direction::Decrypt, "/data/.age", "/data/.age"},
        {Direction::Encrypt, "/data/x.age", "/data/x.age"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.source);
        WindowHarness harness(row.direction);
        harness.dialogs.openAnswers.push_back(QString::fromUtf8(row.source));
        harness.click("Command1");
        harness.click("Command2");
        ASSERT_EQ(harness.dialogs.saveCalls.size(), 1u);
        EXPECT_EQ(harness.dialogs.saveCalls[0].fileName, QString::fromUtf8(row.suggested));
    }
}

FileSetWindow* OpenSet(WindowHarness& harness, const QStringList& names = {"a", "b"}) {
    QList<QUrl> urls;
    for (const QString& name : names) urls.append(QUrl::fromLocalFile(harness.pathInFolder(name)));
    harness.window().findChild<SourceDropTarget*>()->TakeFiles(urls);
    QCoreApplication::processEvents();
    return harness.window().fileSet();
}

// Encrypting a set, the format is chosen below the target folder, and the Tab key reaches the
// choice right after the target folder's row; decrypting, there is nothing to choose.
TEST(AgeFormatTest, TheSetWindowOffersTheFormatWhenEncrypting) {
    for (const Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
        SCOPED_TRACE(direction == Direction::Encrypt ? "encrypt" : "decrypt");
        WindowHarness harness(direction);
        FileSetWindow* set = OpenSet(harness);
        ASSERT_NE(set, nullptr);
        auto* choice = set->findChild<QComboBox*>(QStringLiteral("format"));
        auto* browse =
            set->findChild<QLineEdit*>(QStringLiteral("targetFolder"))->nextInFocusChain();
        auto* password = set->findChild<QLineEdit*>(QStringLiteral("password"));
        EXPECT_EQ(set->ChosenFormat(), CipherFormat::Seed);
        if (direction == Direction::Decrypt) {
            EXPECT_EQ(choice, nullptr);
            EXPECT_EQ(browse->nextInFocusChain(), password);
            continue;
        }
        ASSERT_NE(choice, nullptr);
        EXPECT_EQ(choice->accessibleName(), QString::fromUtf8(kFormatChoiceName));
        ASSERT_EQ(choice->count(), 2);
        EXPECT_EQ(choice->itemText(0), QString::fromUtf8(kSeedFormatChoice));
        EXPECT_EQ(choice->itemText(1), QString::fromUtf8(kAgeFormatChoice));
        // The way through the boxes stays as it was; the choice comes after the list.
        EXPECT_EQ(browse->nextInFocusChain(), password);
        QWidget* afterList = set->findChild<QWidget*>(QStringLiteral("fileList"));
        do {
            afterList = afterList->nextInFocusChain();
        } while (!(afterList->focusPolicy() & Qt::TabFocus));
        EXPECT_EQ(afterList, choice);
        choice->setCurrentIndex(1);
        EXPECT_EQ(set->ChosenFormat(), CipherFormat::Age);
    }
}

// Starts the set of the files a and b, as FileSetTest does, in the format chosen.
void RunSetIn(WindowHarness& harness, const QStringList& names, const QString& into,
              int formatIndex) {
    FileSetWindow* set = OpenSet(harness, names);
    ASSERT_NE(set, nullptr);
    if (auto* choice = set->findChild<QComboBox*>(QStringLiteral("format"))) {
        choice->setCurrentIndex(formatIndex);
    }
    set->findChild<QLineEdit*>(QStringLiteral("targetFolder"))->setText(into);
    for (const char* box : {"password", "passwordRepeat"}) {
        set->findChild<QLineEdit*>(QString::fromLatin1(box))->setText(QStringLiteral("Secret1"));
    }
    set->findChild<QPushButton*>(QStringLiteral("start"))->click();
    QElapsedTimer waited;
    waited.start();
    while (set->Working() && waited.elapsed() < 30000) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

QByteArray FirstLine(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readLine() : QByteArray();
}

// The set's choice: age targets get ".age" appended and are age files; decrypting them drops it
// again and gives back the files. (The key files of two harnesses are the same.)
TEST(AgeFormatTest, TheChoiceOfASetNamesAndWritesItsTargets) {
    const struct {
        int formatIndex;
        QStringList names;
        QByteArray firstLine;
    } cases[] = {
        {0, {"a", "b"}, {}},
        {1, {"a.age", "b.age"}, "age-encryption.org/v1\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.formatIndex);
        WindowHarness encrypt(Direction::Encrypt);
        for (const char* name : {"a", "b"}) WriteFile(encrypt.pathInFolder(name), 70000);
        const QString out = encrypt.pathInFolder(QStringLiteral("out"));
        ASSERT_TRUE(QDir().mkdir(out));
        RunSetIn(encrypt, {"a", "b"}, out, row.formatIndex);
        ASSERT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), row.names);
        if (!row.firstLine.isEmpty()) {
            EXPECT_EQ(FirstLine(out + '/' + row.names[0]), row.firstLine);
        }

        WindowHarness decrypt(Direction::Decrypt);
        decrypt.dialogs.doubtAnswers.assign(2, DoubtAnswer::DecryptAnyway);  // random plaintexts
        for (const QString& name : row.names) {
            ASSERT_TRUE(QFile::copy(out + '/' + name, decrypt.pathInFolder(name)));
        }
        const QString back = decrypt.pathInFolder(QStringLiteral("back"));
        ASSERT_TRUE(QDir().mkdir(back));
        RunSetIn(decrypt, row.names, back, 0);
        EXPECT_EQ(QDir(back).entryList(QDir::Files, QDir::Name), (QStringList{"a", "b"}));
        QFile original(encrypt.pathInFolder("a"));
        QFile decrypted(back + "/a");
        ASSERT_TRUE(original.open(QIODevice::ReadOnly) && decrypted.open(QIODevice::ReadOnly));
        EXPECT_EQ(decrypted.readAll(), original.readAll());
    }
}

}  // namespace
}  // namespace korvel::testing
