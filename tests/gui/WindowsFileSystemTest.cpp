// How runs through the windows meet the Windows file system: Chinese names, paths longer than
// the old 260-character limit, replaced targets and a target another program holds open.
#include <windows.h>

#include <QDir>
#include <QFile>

#include "gtest/gtest.h"
#include "run/RunMessages.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList LeftoverParts(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
}

// Chooses the files through the dialogs and runs the window once.
void RunThroughWindow(WindowHarness& harness, const QString& source, const QString& target) {
    harness.dialogs.openAnswers.push_back(source);
    harness.dialogs.saveAnswers.push_back(target);
    harness.click("Command1");
    harness.click("Command2");
    harness.confirmPassword(QStringLiteral("Secret1"));
    harness.run();
}

struct PathCase {
    const char* label;
    QString folder;  // below the test's folder
    QString name;
};

TEST(WindowsFileSystem, ChineseNamesAndLongPathsRoundTrip) {
    const QString longFolder = QStringLiteral("长路径").repeated(30) + u'/' +
                               QStringLiteral("很长的文件夹名称").repeated(20) + u'/' +
                               QStringLiteral("long-folder-").repeated(10);
    const PathCase cases[] = {
        {"Chinese names", QStringLiteral("我的文件"), QStringLiteral("季度报告 2024")},
        {"path over 260 characters", longFolder, QStringLiteral("机密")},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.label);
        WindowHarness encrypt(Direction::Encrypt);
        WindowHarness decrypt(Direction::Decrypt);  // the same key file contents
        const QString folder = encrypt.pathInFolder(c.folder);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString plain = folder + u'/' + c.name + QStringLiteral(".txt");
        const QString cipher = folder + u'/' + c.name + QStringLiteral(".加密");
        const QString back = folder + u'/' + c.name + QStringLiteral("（解密）.txt");
        if (c.folder == longFolder) {
            EXPECT_GT(QDir::toNativeSeparators(back).size(), 260);
        }
        // Text, as a .txt holds: the decrypt window checks what it would write before it runs.
        QByteArray text;
        for (int line = 0; text.size() < 100000; ++line) {
            text += "line " + QByteArray::number(line) + " of the quarterly report\n";
        }
        QFile plainFile(plain);
        ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
        plainFile.write(text.left(100000));
        plainFile.close();

        RunThroughWindow(encrypt, plain, cipher);
        RunThroughWindow(decrypt, cipher, back);

        ASSERT_EQ(encrypt.dialogs.boxes.size(), 1u);
        EXPECT_EQ(encrypt.dialogs.boxes[0].kind, FakeWindowDialogs::BoxKind::Information)
            << encrypt.dialogs.boxes[0].text.toStdString();
        ASSERT_EQ(decrypt.dialogs.boxes.size(), 1u);
        EXPECT_EQ(decrypt.dialogs.boxes[0].kind, FakeWindowDialogs::BoxKind::Information)
            << decrypt.dialogs.boxes[0].text.toStdString();
        EXPECT_EQ(QFile(cipher).size(), 100010);
        EXPECT_EQ(Contents(back), Contents(plain));
        EXPECT_TRUE(LeftoverParts(folder).isEmpty());
    }
}

class WindowsTargetTest : public ::testing::Test {
protected:
    WindowHarness harness{Direction::Encrypt};
    QString source = harness.pathInFolder(QStringLiteral("报告.txt"));
    QString target = harness.pathInFolder(QStringLiteral("报告.加密"));
    QByteArray earlierTarget = QByteArray("an earlier ciphertext that must survive a failed run");

    void SetUp() override {
        WriteFile(source, 250000);
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(earlierTarget);
    }
};

TEST_F(WindowsTargetTest, ExistingTargetIsReplacedWhole) {
    RunThroughWindow(harness, source, target);

    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    EXPECT_EQ(harness.dialogs.boxes[0].kind, FakeWindowDialogs::BoxKind::Information);
    EXPECT_EQ(QFile(target).size(), 250010);
    EXPECT_TRUE(LeftoverParts(harness.folder()).isEmpty());
}

// Another program (an editor, a virus scanner) holds the target open without sharing it.
TEST_F(WindowsTargetTest, TargetHeldOpenByAnotherProgramGivesWriteMessageAndLosesNothing) {
    const QByteArray plainBefore = Contents(source);
    const std::wstring nativeTarget = QDir::toNativeSeparators(target).toStdWString();
    HANDLE held = CreateFileW(nativeTarget.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    RunThroughWindow(harness, source, target);
    CloseHandle(held);

    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    const FakeWindowDialogs::Box& box = harness.dialogs.boxes[0];
    EXPECT_EQ(box.kind, FakeWindowDialogs::BoxKind::Warning);
    EXPECT_TRUE(box.text.startsWith(QString::fromUtf8(kCannotWriteFile))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("报告.加密"))) << box.text.toStdString();
    EXPECT_EQ(Contents(target), earlierTarget);
    EXPECT_EQ(Contents(source), plainBefore);
    EXPECT_TRUE(LeftoverParts(harness.folder()).isEmpty());
}

}  // namespace
}  // namespace korvel::testing
