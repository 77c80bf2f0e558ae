#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QSpontaneKeyEvent>
#include <QTimer>

#include "WindowHarness.h"
#include "gtest/gtest.h"

namespace korvel::testing {
namespace {

constexpr qint64 kFirstProgressSize = 204801;

// Which of the run's controls are shown and enabled at one moment.
struct RunControls {
    bool label5Shown, command7Shown, barShown, check1Shown;
    bool command6Enabled, command4Enabled, command1Enabled, command2Enabled;
    bool operator==(const RunControls&) const = default;
};

constexpr RunControls kInProgressMode{true, true, true, false, false, false, false, false};
constexpr RunControls kOutOfProgressMode{false, false, false, true, true, true, true, true};

void PrintTo(const RunControls& c, std::ostream* out) {
    *out << "label5 " << c.label5Shown << " command7 " << c.command7Shown << " bar " << c.barShown
         << " check1 " << c.check1Shown << " enabled 6/4/1/2 " << c.command6Enabled
         << c.command4Enabled << c.command1Enabled << c.command2Enabled;
}

RunControls Snapshot(const WindowHarness& h) {
    auto shown = [&](const char* name) { return !h.control<QWidget>(name)->isHidden(); };
    auto enabled = [&](const char* name) { return h.control<QWidget>(name)->isEnabled(); };
    return {shown("Label5"),     shown("Command7"),   shown("ProgressBar1"), shown("Check1"),
            enabled("Command6"), enabled("Command4"), enabled("Command1"),   enabled("Command2")};
}

// Records the order in which watched controls are shown and hidden.
class VisibilityRecorder : public QObject {
public:
    void watch(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::HideToParent) events << "hide " + watched->objectName();
        if (event->type() == QEvent::ShowToParent) events << "show " + watched->objectName();
        return false;
    }
    QStringList events;
};

void CloseByUser(QWidget* window) {
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QCoreApplication::instance()->notify(window, &close);  // keeps the event spontaneous
}

class ProgressRunTest : public ::testing::Test {
protected:
    WindowHarness harness{Direction::Encrypt};
    QString source = harness.pathInFolder(QStringLiteral("plain.bin"));
    QString target = harness.pathInFolder(QStringLiteral("cipher.bin"));

    void prepare(qint64 size) {
        harness.chooseFiles(QStringLiteral("plain.bin"), size, QStringLiteral("cipher.bin"));
        harness.confirmPassword(QStringLiteral("Secret1"));
        recorder.watch(harness.control<QWidget>("Label5"));
        recorder.watch(harness.control<QWidget>("Command7"));
    }
    VisibilityRecorder recorder;
};

TEST_F(ProgressRunTest, CompletedRunEntersAndLeavesProgressMode) {
    prepare(kFirstProgressSize);
    std::optional<RunControls> duringRun;
    QTimer::singleShot(0, [&] { duringRun = Snapshot(harness); });
    std::optional<RunControls> atNotice;
    int barAtNotice = -1;
    harness.dialogs.onBox = [&](const FakeWindowDialogs::Box&) {
        atNotice = Snapshot(harness);
        barAtNotice = harness.control<QProgressBar>("ProgressBar1")->value();
    };
    harness.click("Command4");

    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    EXPECT_EQ(harness.dialogs.boxes[0].text, QStringLiteral("密文已经生成"));
    EXPECT_EQ(harness.dialogs.boxes[0].kind, FakeWindowDialogs::BoxKind::Information);
    ASSERT_TRUE(duringRun.has_value()) << "events were never let through during the run";
    EXPECT_EQ(*duringRun, kInProgressMode);
    ASSERT_TRUE(atNotice.has_value());
    EXPECT_EQ(*atNotice, kInProgressMode) << "progress mode lasts until the message is closed";
    EXPECT_EQ(barAtNotice, 100);
    EXPECT_EQ(Snapshot(harness), kOutOfProgressMode);
    EXPECT_FALSE(harness.button("Command3")->isEnabled());
    EXPECT_EQ(recorder.events,
              QStringList({"show Label5", "show Command7", "hide Label5", "hide Command7"}));
    EXPECT_EQ(QFile(target).size(), kFirstProgressSize + 10);
}

TEST_F(ProgressRunTest, SourceOf204800BytesRunsQuietly) {
    prepare(204800);
    harness.click("Command4");
    EXPECT_TRUE(recorder.events.isEmpty()) << recorder.events.join(u',').toStdString();
    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    EXPECT_EQ(QFile(target).size(), 204810);
}

TEST_F(ProgressRunTest, CancelAnsweredNoGoesOnAndYesRemovesTheTarget) {
    prepare(kFirstProgressSize);
    harness.window().progress().setMinimumPumpInterval(std::chrono::milliseconds(0));
    auto clickCancelSoon = [&] { QTimer::singleShot(0, [&] { harness.click("Command7"); }); };
    clickCancelSoon();
    harness.dialogs.questionAnswers = {false, true};
    std::optional<RunControls> atQuestion;
    harness.dialogs.onBox = [&](const FakeWindowDialogs::Box&) {
        atQuestion = Snapshot(harness);
        clickCancelSoon();
    };
    harness.click("Command4");

    ASSERT_EQ(harness.dialogs.boxes.size(), 2u) << "two questions and no message";
    for (const auto& box : harness.dialogs.boxes) {
        EXPECT_EQ(box.kind, FakeWindowDialogs::BoxKind::Question);
        EXPECT_EQ(box.title, QStringLiteral("取消加密"));
        EXPECT_EQ(box.text, QStringLiteral("确认取消加密"));
    }
    EXPECT_EQ(*atQuestion, kInProgressMode);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(Snapshot(harness), kOutOfProgressMode);
    EXPECT_EQ(recorder.events,
              QStringList({"show Label5", "show Command7", "hide Command7", "hide Label5"}));
    EXPECT_EQ(QFile(source).size(), kFirstProgressSize) << "the source stays as it was";
}

TEST_F(ProgressRunTest, UserCloseDuringARunEndsTheProgramAndLeavesNoTarget) {
    prepare(kFirstProgressSize);
    QTimer::singleShot(0, [&] { CloseByUser(&harness.window()); });
    harness.click("Command4");

    EXPECT_EQ(harness.programEnds, 1);
    EXPECT_TRUE(harness.dialogs.boxes.empty()) << "no completion message after the close";
    EXPECT_FALSE(QFile::exists(target));
    const QStringList left = QDir(harness.folder()).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList({"help.chm", "plain.bin", "uae"})) << "no temporary file left";
}

TEST_F(ProgressRunTest, UserCloseDuringARunKeepsAnExistingTargetAsItWas) {
    prepare(kFirstProgressSize);
    const QByteArray earlier("an earlier file under the target's name");
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(earlier);
    file.close();
    QTimer::singleShot(0, [&] { CloseByUser(&harness.window()); });
    harness.click("Command4");

    EXPECT_EQ(harness.programEnds, 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), earlier);
    EXPECT_EQ(QDir(harness.folder()).entryList(QDir::Files).size(), 4) << "no temporary file left";
}

TEST_F(ProgressRunTest, EncryptedFileDecryptsBackThroughTheDecryptWindow) {
    prepare(kFirstProgressSize + 5000);
    harness.click("Command4");
    ASSERT_TRUE(QFile::exists(target));

    WindowHarness decrypt(Direction::Decrypt);
    const QString copied = decrypt.pathInFolder(QStringLiteral("cipher.bin"));
    ASSERT_TRUE(QFile::copy(target, copied));
    decrypt.dialogs.openAnswers.push_back(copied);
    decrypt.dialogs.saveAnswers.push_back(decrypt.pathInFolder(QStringLiteral("back.bin")));
    decrypt.click("Command1");
    decrypt.click("Command2");
    decrypt.confirmPassword(QStringLiteral("Secret1"));
    decrypt.click("Command4");

    ASSERT_EQ(decrypt.dialogs.boxes.size(), 1u);
    EXPECT_EQ(decrypt.dialogs.boxes[0].text, QStringLiteral("密文已经解密，明文已经生成"));
    QFile original(source), back(decrypt.pathInFolder(QStringLiteral("back.bin")));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly) && back.open(QIODevice::ReadOnly));
    EXPECT_TRUE(original.readAll() == back.readAll());
}

TEST(RunObserverTest, CancelButtonOnlySetsTheFlag) {
    WindowHarness harness(Direction::Decrypt);
    harness.window().progress().EnterProgressMode();
    const RunControls before = Snapshot(harness);
    EXPECT_FALSE(harness.window().progress().CancelRequested);
    harness.click("Command7");
    EXPECT_TRUE(harness.window().progress().CancelRequested);
    EXPECT_EQ(Snapshot(harness), before);
    EXPECT_TRUE(harness.dialogs.boxes.empty());
}

TEST(RunObserverTest, EventsAreLetThroughAtOnceThenNoMoreOftenThanTheInterval) {
    WindowHarness harness(Direction::Encrypt);
    harness.window().progress().setMinimumPumpInterval(std::chrono::hours(1));
    harness.window().progress().EnterProgressMode();
    bool first = false;
    QTimer::singleShot(0, [&] { first = true; });
    EXPECT_TRUE(harness.window().progress().PumpEvents());
    EXPECT_TRUE(first);
    bool second = false;
    QTimer::singleShot(0, [&] { second = true; });
    EXPECT_TRUE(harness.window().progress().PumpEvents());
    EXPECT_FALSE(second) << "events handled again before the interval passed";
    QCoreApplication::processEvents();
    EXPECT_TRUE(second);
}

TEST(RunObserverTest, FileFailureNoticeUsesTheWarningBox) {
    WindowHarness harness(Direction::Encrypt);
    harness.window().progress().ShowNotice("无法写入文件", NoticeKind::Warning);
    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    EXPECT_EQ(harness.dialogs.boxes[0].kind, FakeWindowDialogs::BoxKind::Warning);
    EXPECT_EQ(harness.dialogs.boxes[0].title, QStringLiteral("提示信息"));
    EXPECT_EQ(harness.dialogs.boxes[0].text, QStringLiteral("无法写入文件"));
}

}  // namespace
}  // namespace korvel::testing
