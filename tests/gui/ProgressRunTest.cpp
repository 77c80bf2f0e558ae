#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gtest/gtest.h"
#include "tests/support/WindowHarness.h"

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

struct PaintCounter : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
    int count = 0;
};

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
    std::optional<RunControls> atNotice;
    int barAtNotice = -1;
    harness.dialogs.onBox = [&](const FakeWindowDialogs::Box&) {
        atNotice = Snapshot(harness);
        barAtNotice = harness.control<QProgressBar>("ProgressBar1")->value();
    };
    WriteLatch latch(2);
    ASSERT_TRUE(harness.startHeldRun(latch));
    const RunControls duringRun = Snapshot(harness);
    latch.Release();
    ASSERT_TRUE(harness.waitForRunEnd());

    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    EXPECT_EQ(harness.dialogs.boxes[0].text, QStringLiteral("密文已经生成"));
    EXPECT_EQ(harness.dialogs.boxes[0].kind, FakeWindowDialogs::BoxKind::Information);
    EXPECT_EQ(duringRun, kInProgressMode);
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
    harness.run();
    EXPECT_TRUE(recorder.events.isEmpty()) << recorder.events.join(u',').toStdString();
    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    EXPECT_EQ(QFile(target).size(), 204810);
}

// The header is the first write and each block of data one more; the first block's progress
// updates come after the second write.
TEST_F(ProgressRunTest, CancelAnsweredNoGoesOnAndYesRemovesTheTarget) {
    prepare(kFirstProgressSize);
    harness.dialogs.questionAnswers = {false, true};
    std::optional<RunControls> atQuestion;
    harness.dialogs.onBox = [&](const FakeWindowDialogs::Box&) { atQuestion = Snapshot(harness); };
    WriteLatch latch(2);
    ASSERT_TRUE(harness.startHeldRun(latch));
    harness.click("Command7");
    latch.ReleaseAndHoldAt(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return latch.Holding(); }, 60000));
    EXPECT_EQ(harness.dialogs.boxes.size(), 1u) << "No lets the run go on to its next block";
    harness.click("Command7");
    latch.Release();
    ASSERT_TRUE(harness.waitForRunEnd());

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
    EXPECT_EQ(QDir(harness.folder()).entryList(QDir::Files),
              QStringList({"help.chm", "plain.bin", "uae"}))
        << "no temporary file left";
}

// While a write is held, as a slow stick or share holds it, the window goes on answering.
TEST_F(ProgressRunTest, WindowAnswersWhileTheRunIsHeldAndTheRunThenCompletes) {
    prepare(kFirstProgressSize);
    WriteLatch latch(2);
    ASSERT_TRUE(harness.startHeldRun(latch));
    const RunControls beforeClick = Snapshot(harness);
    const struct {
        const char* what;
        std::function<bool()> answered;
    } answers[] = {
        {"a timer fires",
         [] {
             bool fired = false;
             QTimer::singleShot(0, [&] { fired = true; });
             return QTest::qWaitFor([&] { return fired; }, 5000);
         }},
        {"a repaint happens",
         [this] {
             PaintCounter paints;
             harness.window().installEventFilter(&paints);
             harness.window().show();
             harness.window().update();
             const bool painted = QTest::qWaitFor([&] { return paints.count > 0; }, 5000);
             harness.window().removeEventFilter(&paints);
             return painted;
         }},
        {"a click on the cancel button is taken",
         [this] {
             QSignalSpy clicks(harness.button("Command7"), &QAbstractButton::clicked);
             QTest::mouseClick(harness.button("Command7"), Qt::LeftButton);
             return clicks.count() == 1;
         }},
    };
    for (const auto& answer : answers) {
        EXPECT_TRUE(answer.answered()) << answer.what;
        EXPECT_TRUE(latch.Holding()) << answer.what << ": the run still waits on its write";
    }
    EXPECT_EQ(Snapshot(harness), beforeClick) << "the cancel click only asks the run";
    EXPECT_TRUE(harness.dialogs.boxes.empty()) << "the question waits for the run's next update";
    latch.Release();
    ASSERT_TRUE(harness.waitForRunEnd());

    ASSERT_EQ(harness.dialogs.boxes.size(), 2u);
    EXPECT_EQ(harness.dialogs.boxes[0].text, QStringLiteral("确认取消加密"));
    EXPECT_EQ(harness.dialogs.boxes[1].text, QStringLiteral("密文已经生成"));
    EXPECT_EQ(Snapshot(harness), kOutOfProgressMode);
    EXPECT_EQ(QFile(target).size(), kFirstProgressSize + 10);
}

// Closing the window while a write is held: the program ends, the run stops at its next update
// and leaves the folder as it was.
TEST_F(ProgressRunTest, UserCloseDuringAHeldRunEndsTheProgramAndKeepsTheFolderAsItWas) {
    const struct {
        const char* label;
        std::optional<QByteArray> existingTarget;
    } cases[] = {{"no target yet", std::nullopt},
                 {"an earlier target", QByteArray("an earlier file under the target's name")}};
    for (const auto& [label, existingTarget] : cases) {
        WindowHarness closing(Direction::Encrypt);
        closing.chooseFiles(QStringLiteral("plain.bin"), kFirstProgressSize,
                            QStringLiteral("cipher.bin"));
        closing.confirmPassword(QStringLiteral("Secret1"));
        const QString targetPath = closing.pathInFolder(QStringLiteral("cipher.bin"));
        QStringList before = {"help.chm", "plain.bin", "uae"};
        if (existingTarget) {
            QFile file(targetPath);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*existingTarget);
            before.prepend("cipher.bin");
        }
        WriteLatch latch(2);
        ASSERT_TRUE(closing.startHeldRun(latch));
        CloseByUser(&closing.window());
        EXPECT_EQ(closing.programEnds, 1) << label;
        latch.Release();
        ASSERT_TRUE(closing.waitForRunEnd()) << label;

        EXPECT_EQ(latch.Writes(), 2) << label << ": no block written after the held one";
        EXPECT_TRUE(closing.dialogs.boxes.empty()) << label << ": no message after the close";
        EXPECT_EQ(QDir(closing.folder()).entryList(QDir::Files), before)
            << label << ": no temporary file left";
        QFile file(targetPath);
        if (existingTarget) {
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << label;
            EXPECT_EQ(file.readAll(), *existingTarget) << label;
        }
    }
}

TEST_F(ProgressRunTest, EncryptedFileDecryptsBackThroughTheDecryptWindow) {
    prepare(kFirstProgressSize + 5000);
    harness.run();
    ASSERT_TRUE(QFile::exists(target));

    WindowHarness decrypt(Direction::Decrypt);
    const QString copied = decrypt.pathInFolder(QStringLiteral("cipher.bin"));
    ASSERT_TRUE(QFile::copy(target, copied));
    decrypt.dialogs.openAnswers.push_back(copied);
    decrypt.dialogs.saveAnswers.push_back(decrypt.pathInFolder(QStringLiteral("back.bin")));
    decrypt.click("Command1");
    decrypt.click("Command2");
    decrypt.confirmPassword(QStringLiteral("Secret1"));
    decrypt.run();

    ASSERT_EQ(decrypt.dialogs.boxes.size(), 1u);
    EXPECT_EQ(decrypt.dialogs.boxes[0].text, QStringLiteral("密文已经解密，明文已经生成"));
    QFile original(source), back(decrypt.pathInFolder(QStringLiteral("back.bin")));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly) && back.open(QIODevice::ReadOnly));
    EXPECT_TRUE(original.readAll() == back.readAll());
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
