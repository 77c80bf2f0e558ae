#include <QFile>
#include <QLineEdit>
#include <QTest>

#include "gtest/gtest.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

class FileSelectionTest : public ::testing::TestWithParam<Direction> {
protected:
    WindowHarness harness{GetParam()};
    QString text(const char* name) { return harness.box(name)->text(); }
};

TEST_P(FileSelectionTest, CancelBeforeAnyChoiceLeavesTheBoxEmpty) {
    harness.box("Text1")->setText(QStringLiteral("left over"));
    harness.click("Command1");  // no answer queued: cancelled
    EXPECT_EQ(text("Text1"), QString());
    harness.click("Command2");
    EXPECT_EQ(text("Text2"), QString());
    EXPECT_TRUE(harness.dialogs.boxes.empty()) << "cancelling is no error";
}

TEST_P(FileSelectionTest, ChosenFilesGoIntoTheirBoxes) {
    harness.dialogs.openAnswers.push_back(QStringLiteral("/data/in.bin"));
    harness.dialogs.saveAnswers.push_back(QStringLiteral("/data/out.bin"));
    harness.click("Command1");
    harness.click("Command2");
    EXPECT_EQ(text("Text1"), QStringLiteral("/data/in.bin"));
    EXPECT_EQ(text("Text2"), QStringLiteral("/data/out.bin"));
}

TEST_P(FileSelectionTest, FirstSaveOpensWithTheChosenSourceAndCancelCopiesIt) {
    harness.dialogs.openAnswers.push_back(QStringLiteral("/data/in.bin"));
    harness.click("Command1");
    harness.click("Command2");  // cancelled
    ASSERT_EQ(harness.dialogs.saveCalls.size(), 1u);
    EXPECT_EQ(harness.dialogs.saveCalls[0].fileName, QStringLiteral("/data/in.bin"));
    EXPECT_EQ(text("Text2"), QStringLiteral("/data/in.bin"));
}

TEST_P(FileSelectionTest, EachDialogOpensWithTheNameChosenLastInEither) {
    harness.dialogs.saveAnswers.push_back(QStringLiteral("/data/out.bin"));
    harness.click("Command2");
    harness.click("Command1");  // cancelled: gets the Save dialog's choice
    ASSERT_EQ(harness.dialogs.openCalls.size(), 1u);
    EXPECT_EQ(harness.dialogs.openCalls[0].fileName, QStringLiteral("/data/out.bin"));
    EXPECT_EQ(text("Text1"), QStringLiteral("/data/out.bin"));
}

TEST_P(FileSelectionTest, PathLongerThan260CharactersIsTakenAsItIs) {
    const QString longPath = QStringLiteral("/data/") + QString(300, u'x');
    harness.dialogs.openAnswers.push_back(longPath);
    harness.click("Command1");
    EXPECT_EQ(text("Text1"), longPath);
}

TEST_P(FileSelectionTest, EqualPathsAfterACancelGetTheEqualPathsMessage) {
    const QString source = harness.pathInFolder(QStringLiteral("same.bin"));
    WriteFile(source, 50);
    harness.dialogs.openAnswers.push_back(source);
    harness.click("Command1");
    harness.click("Command2");  // cancelled: the same path
    harness.confirmPassword(QStringLiteral("abcdef"));
    harness.run();
    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    const QString expected = GetParam() == Direction::Encrypt
                                 ? QStringLiteral("密文和源文件同名时不能位于同一路径")
                                 : QStringLiteral("明文和密文同名时不能位于同一路径");
    EXPECT_EQ(harness.dialogs.boxes[0].text, expected);
    EXPECT_EQ(harness.dialogs.boxes[0].title, QStringLiteral("提示信息"));
    QFile file(source);
    EXPECT_EQ(file.size(), 50) << "a refused run changes nothing";
}

TEST_P(FileSelectionTest, PathBoxesCannotBeTypedIntoButTakeTheFocus) {
    harness.showAndActivate();
    QLineEdit* text1 = harness.box("Text1");
    text1->setFocus();
    QTest::keyClicks(text1, QStringLiteral("typed"));
    EXPECT_TRUE(text1->hasFocus());
    EXPECT_EQ(text1->text(), QString());
    EXPECT_TRUE(harness.box("Text2")->isReadOnly());
}

INSTANTIATE_TEST_SUITE_P(BothWindows, FileSelectionTest,
                         ::testing::Values(Direction::Encrypt, Direction::Decrypt), ByDirection);

TEST(FileDialogFilterTest, EncryptWindowSetsItsFiltersBeforeEachDialog) {
    WindowHarness harness(Direction::Encrypt);
    harness.click("Command1");
    harness.click("Command2");
    harness.click("Command1");
    ASSERT_EQ(harness.dialogs.openCalls.size(), 2u);
    ASSERT_EQ(harness.dialogs.saveCalls.size(), 1u);
    EXPECT_EQ(harness.dialogs.openCalls[0].filter, QStringLiteral("所有文件|*.*"));
    EXPECT_EQ(harness.dialogs.saveCalls[0].filter, QStringLiteral("|"));
    EXPECT_EQ(harness.dialogs.openCalls[1].filter, QStringLiteral("所有文件|*.*"));
}

TEST(FileDialogFilterTest, DecryptWindowNeverSetsAFilter) {
    WindowHarness harness(Direction::Decrypt);
    harness.click("Command1");
    harness.click("Command2");
    EXPECT_EQ(harness.dialogs.openCalls.at(0).filter, QString());
    EXPECT_EQ(harness.dialogs.saveCalls.at(0).filter, QString());
}

}  // namespace
}  // namespace korvel::testing
