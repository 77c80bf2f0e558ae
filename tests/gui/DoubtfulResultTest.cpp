#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include "gtest/gtest.h"
#include "run/CipherRun.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

class QuietNotifications : public RunNotifications {
public:
    void ShowNotice(const std::string&, NoticeKind) override {}
    void EnterProgressMode() override {}
    void ShowPercent(int) override {}
    CancelAnswer AskCancel(const std::string&, const std::string&) override {
        return CancelAnswer::No;
    }
    void LeaveProgressMode(LeaveStep, LeaveReason) override {}
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A decryption whose head does not look right asks before it writes anything: the existing
// target stays as it was until "仍然解密", and the window keeps the focus where the answer puts
// it. The right password asks nothing.
TEST(DoubtfulResultTest, QuestionComesBeforeAnythingIsWrittenAndItsAnswersAreKept) {
    const struct {
        const char* label;
        const char* password;
        std::optional<DoubtAnswer> answer;  // nothing: no question may come
        bool targetWritten;
        const char* focus;  // the control with the focus afterwards
        bool passwordConfirmed;
    } rows[] = {
        {"right password", "Secret 1", std::nullopt, true, "Command4", true},
        {"wrong password, cancelled", "Secret 2", DoubtAnswer::Cancel, false, "Command4", true},
        {"wrong password, typed again", "Secret 2", DoubtAnswer::TypePasswordAgain, false, "Text3",
         false},
        {"wrong password, decrypted anyway", "Secret 2", DoubtAnswer::DecryptAnyway, true,
         "Command4", true},
    };
    for (const auto& row : rows) {
        WindowHarness harness(Direction::Decrypt);
        QByteArray plain;
        for (int line = 0; line < 400; ++line) {
            plain += "第" + QByteArray::number(line) + "行：密钥文件与密码都对时，才能得到原文。\n";
        }
        const QString original = harness.pathInFolder(QStringLiteral("plain.txt"));
        const QString cipher = harness.pathInFolder(QStringLiteral("cipher.bin"));
        const QString target = harness.pathInFolder(QStringLiteral("还原.txt"));
        QFile file(original);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(plain) == plain.size());
        file.close();
        QuietNotifications quiet;
        ASSERT_EQ(CipherRun({Direction::Encrypt, QFile::encodeName(original).data(),
                             QFile::encodeName(cipher).data(), "Secret 1",
                             QFile::encodeName(harness.pathInFolder("uae")).data()},
                            quiet)
                      .outcome,
                  RunOutcome::Completed);
        const QByteArray earlier = "an earlier file that must survive a wrong password";
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write(earlier) == earlier.size());
        old.close();

        harness.showAndActivate();
        harness.dialogs.openAnswers.push_back(cipher);
        harness.dialogs.saveAnswers.push_back(target);
        harness.click("Command1");
        harness.click("Command2");
        harness.confirmPassword(QString::fromLatin1(row.password));
        harness.button("Command4")->setFocus();
        if (row.answer) harness.dialogs.doubtAnswers.push_back(*row.answer);
        ASSERT_TRUE(harness.run()) << row.label;

        const auto asked = std::count_if(
            harness.dialogs.boxes.begin(), harness.dialogs.boxes.end(),
            [](const auto& box) { return box.kind == FakeWindowDialogs::BoxKind::Doubt; });
        EXPECT_EQ(asked, row.answer ? 1 : 0) << row.label;
        EXPECT_EQ(ReadAll(target) == earlier, !row.targetWritten) << row.label;
        if (row.targetWritten && !row.answer) {
            EXPECT_EQ(ReadAll(target), plain) << row.label;
        }
        EXPECT_EQ(QApplication::focusWidget(), harness.control<QWidget>(row.focus)) << row.label;
        EXPECT_EQ(harness.box("Text3")->isReadOnly(), row.passwordConfirmed) << row.label;
        EXPECT_EQ(harness.button("Command4")->isEnabled(), row.passwordConfirmed) << row.label;
    }
}

}  // namespace
}  // namespace korvel::testing
