#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "gtest/gtest.h"
#include "gui/SourceDropTarget.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

// A drag of `urls` that enters the window over `widget` and is dropped there, as the window
// system delivers it. Says whether the window offered to take it and whether it took it.
struct DropOutcome {
    bool offered;
    bool taken;
};

DropOutcome DragAndDrop(QWidget& window, QWidget& over, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPointF position = over.mapTo(&window, over.rect().center());
    const auto copy = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(position.toPoint(), copy, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop(position, copy, &data, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    QCoreApplication::processEvents();  // a message about a drop comes once the drop is over
    return {enter.isAccepted(), drop.isAccepted()};
}

class SourceDropTest : public ::testing::TestWithParam<Direction> {
protected:
    WindowHarness harness{GetParam()};
    QString file = harness.pathInFolder(QStringLiteral("dropped.bin"));

    void SetUp() override { WriteFile(file, 100); }
    DropOutcome drop(const char* over, const QList<QUrl>& urls) {
        return DragAndDrop(harness.window(), *harness.control<QWidget>(over), urls);
    }
};

TEST_P(SourceDropTest, DroppedFileIsTakenAsIfChosenInTheOpenDialog) {
    const DropOutcome outcome = drop("Label3", {QUrl::fromLocalFile(file)});
    EXPECT_TRUE(outcome.offered && outcome.taken);
    EXPECT_EQ(harness.box("Text1")->text(), QDir::toNativeSeparators(file));
    EXPECT_TRUE(harness.dialogs.boxes.empty());
    harness.click("Command2");  // cancelled: the dialog remembered the dropped file
    ASSERT_EQ(harness.dialogs.saveCalls.size(), 1u);
    EXPECT_EQ(harness.dialogs.saveCalls[0].fileName, QDir::toNativeSeparators(file));
    EXPECT_EQ(harness.box("Text2")->text(), QDir::toNativeSeparators(file));
}

TEST_P(SourceDropTest, FilesFromOtherComputersAreTurnedDownWithAMessage) {
    const struct {
        QList<QUrl> urls;
        QString message;
    } cases[] = {
        {{QUrl(QStringLiteral("https://example.org/file.bin"))},
         SourceDropTarget::kNotOnThisComputer},
        {{QUrl::fromLocalFile(file), QUrl(QStringLiteral("https://example.org/file.bin"))},
         SourceDropTarget::kNotOnThisComputer},
    };
    for (const auto& dropCase : cases) {
        harness.dialogs.boxes.clear();
        drop("Text1", dropCase.urls);
        EXPECT_EQ(harness.box("Text1")->text(), QString());
        ASSERT_EQ(harness.dialogs.boxes.size(), 1u) << dropCase.message.toStdString();
        EXPECT_EQ(harness.dialogs.boxes[0].text, dropCase.message);
        EXPECT_EQ(harness.dialogs.boxes[0].title, QStringLiteral("提示信息"));
    }
}

TEST_P(SourceDropTest, NothingIsOfferedOverTheTargetBoxOrForText) {
    EXPECT_FALSE(drop("Text2", {QUrl::fromLocalFile(file)}).offered);
    QMimeData text;
    text.setText(QStringLiteral("Secret1"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&harness.window(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_EQ(harness.box("Text1")->text(), QString());
    EXPECT_EQ(harness.box("Text2")->text(), QString());
    for (const char* passwordBox : {"Text3", "Text4"}) {
        EXPECT_FALSE(harness.box(passwordBox)->acceptDrops()) << "drags pass to the window";
    }
}

TEST_P(SourceDropTest, NothingCanBeDroppedDuringARun) {
    harness.chooseFiles(QStringLiteral("plain.bin"), 204801, QStringLiteral("out.bin"));
    harness.confirmPassword(QStringLiteral("Secret1"));
    const QString chosen = harness.box("Text1")->text();
    WriteLatch latch(2);
    ASSERT_TRUE(harness.startHeldRun(latch));
    const DropOutcome duringRun = drop("Label3", {QUrl::fromLocalFile(file)});
    latch.Release();
    ASSERT_TRUE(harness.waitForRunEnd());
    EXPECT_FALSE(duringRun.offered || duringRun.taken);
    EXPECT_EQ(harness.box("Text1")->text(), chosen);
    EXPECT_TRUE(drop("Label3", {QUrl::fromLocalFile(file)}).taken) << "after the run it can";
}

INSTANTIATE_TEST_SUITE_P(BothWindows, SourceDropTest,
                         ::testing::Values(Direction::Encrypt, Direction::Decrypt));

}  // namespace
}  // namespace korvel::testing
