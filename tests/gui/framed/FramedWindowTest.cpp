// Runs on a real X display with a window manager (run-with-window-manager.sh starts both), where
// windows get frames and drops come through the drag-and-drop protocol.
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QUrl>

#include "gtest/gtest.h"
#include "gui/WindowCentring.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

// How far the frame's centre is from the screen's, in pixels, on the worse axis.
int OffCentre(const QWidget& window) {
    const QRect screen = window.screen()->geometry();
    const QRect frame = window.frameGeometry();
    const int horizontal = (frame.left() - screen.left()) - (screen.right() - frame.right());
    const int vertical = (frame.top() - screen.top()) - (screen.bottom() - frame.bottom());
    return qMax(std::abs(horizontal), std::abs(vertical)) / 2;
}

bool WaitUntilFramed(QWidget& window) {
    return QTest::qWaitFor([&] { return !WindowCentring::FrameMargins(window).isNull(); }, 5000);
}

// Records where the frame of a window was each time it moved once framed: one place means that
// the window appeared where it stayed.
class FramePlaces : public QObject {
public:
    explicit FramePlaces(QWidget& window) { window.installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Move && !WindowCentring::FrameMargins(*window).isNull()) {
            const QPoint place = window->frameGeometry().topLeft();
            if (places.isEmpty() || places.last() != place) places.append(place);
        }
        return false;
    }
    QList<QPoint> places;
};

TEST(FramedWindowTest, WindowsAreCentredByTheirFrameTheSecondWithoutMoving) {
    WindowHarness first(Direction::Encrypt);
    first.showAndActivate();
    ASSERT_TRUE(WaitUntilFramed(first.window())) << "no window manager framed the window";
    EXPECT_TRUE(QTest::qWaitFor([&] { return OffCentre(first.window()) <= 1; }, 2000))
        << "off by " << OffCentre(first.window());

    WindowHarness second(Direction::Decrypt);
    FramePlaces places(second.window());
    second.showAndActivate();
    ASSERT_TRUE(WaitUntilFramed(second.window()));
    QTest::qWait(300);  // time for any late correction to show up
    EXPECT_LE(OffCentre(second.window()), 1);
    EXPECT_LE(places.places.size(), 1) << "the window jumped after it was shown";
}

// A drag source as a file manager is: pressing and moving the mouse over it drags one file.
class FileDragSource : public QLabel {
public:
    explicit FileDragSource(const QString& file) : QLabel(QStringLiteral("拖动")), file_(file) {
        setWindowFlag(Qt::FramelessWindowHint);
        setFixedSize(80, 40);
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton) || dragging_) return;
        dragging_ = true;
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(file_)});
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
    }

private:
    QString file_;
    bool dragging_ = false;
};

QString PointText(QPoint point) { return QStringLiteral("%1 %2").arg(point.x()).arg(point.y()); }

TEST(FramedWindowTest, FileDraggedFromAnotherWindowFillsTheSourceBox) {
    WindowHarness harness(Direction::Encrypt);
    const QString file = harness.pathInFolder(QStringLiteral("报告.docx"));
    WriteFile(file, 1000);
    harness.showAndActivate();
    FileDragSource source(file);
    source.move(10, 10);
    source.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&source));

    const QPoint from = source.mapToGlobal(source.rect().center());
    QWidget* label = harness.control<QWidget>("Label3");
    const QPoint to = label->mapToGlobal(label->rect().center());
    QProcess pointer;
    pointer.start(QStringLiteral("xdotool"),
                  (QStringLiteral("mousemove %1 mousedown 1 sleep 0.3 mousemove %2 sleep 0.3 "
                                  "mousemove %3 sleep 0.5 mousemove %4 sleep 0.5 mouseup 1")
                       .arg(PointText(from), PointText(from + QPoint(15, 15)), PointText(to),
                            PointText(to + QPoint(3, 3))))
                      .split(u' '));
    ASSERT_TRUE(pointer.waitForStarted()) << "xdotool is missing";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !harness.box("Text1")->text().isEmpty(); }, 8000));
    EXPECT_EQ(harness.box("Text1")->text(), file);
    EXPECT_TRUE(harness.dialogs.boxes.empty());

    const QByteArray shots = qgetenv("KORVEL_SCREENSHOTS");
    if (!shots.isEmpty()) {
        QTest::qWait(500);  // the box repaints first
        QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(shots) +
                                                             QStringLiteral("/drop.png"));
    }
    pointer.waitForFinished(5000);
}

}  // namespace
}  // namespace korvel::testing

int main(int argc, char** argv) {
    QApplication application(argc, argv);  // on the display the script started, not offscreen
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
