#include "Form2.h"

#include <QMouseEvent>
#include <QPainter>

#include "InstanceLock.h"
#include "WindowCentring.h"
#include "WindowNavigator.h"

namespace korvel {

namespace {
const QSize kClientSize(644, 480);
}

Form2::Form2(InstanceLock& instanceLock, WindowNavigator& navigator)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      instanceLock_(instanceLock),
      navigator_(navigator),
      picture_(QStringLiteral(":/pictures/splash.png")) {
    setWindowTitle(QStringLiteral("Form2"));
    // The title is never shown; a screen reader says what the picture shows instead.
    setAccessibleName(QStringLiteral("Korvel文件加密系统"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Qt leaves splash-type windows out of "last window closed"; this one counts, so that the
    // program ends when the splash goes away without handing over.
    setAttribute(Qt::WA_QuitOnClose);
    // The picture covers the whole surface, so no background needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kClientSize);

    timer1_.setInterval(kTimer1IntervalMs);
    timer1_.setSingleShot(true);
    connect(&timer1_, &QTimer::timeout, this, &Form2::HandOverToMainWindow);
}

bool Form2::Load() {
    if (instanceLock_.AnotherInstanceRuns()) return false;
    CentreOnScreen(*this);
    timer1_.start();
    return true;
}

void Form2::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    // Drawn unscaled from the top-left; the picture's two extra columns fall outside.
    painter.drawPixmap(QPoint(0, 0), picture_);
}

void Form2::mouseReleaseEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint())) HandOverToMainWindow();
}

void Form2::HandOverToMainWindow() {
    // A click and the timer can arrive in the same pass of the event loop, before the
    // deferred deletion of the splash; only the first of them hands over.
    if (handedOver_) return;
    handedOver_ = true;
    timer1_.stop();
    navigator_.ShowMainWindow();
    close();
}

}  // namespace korvel
