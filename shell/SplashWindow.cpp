#include "SplashWindow.h"

#include <QMouseEvent>
#include <QPainter>

#include "InstanceLock.h"
#include "WindowNavigator.h"
#include "gui/WindowCentring.h"

namespace korvel {

namespace {
const QSize kClientSize(644, 480);
}

SplashWindow::SplashWindow(InstanceLock& instanceLock, WindowNavigator& navigator)
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

    splashTimer_.setInterval(kSplashMilliseconds);
    splashTimer_.setSingleShot(true);
    connect(&splashTimer_, &QTimer::timeout, this, &SplashWindow::HandOverToMainWindow);
}

bool SplashWindow::Load() {
    if (instanceLock_.AnotherInstanceRuns()) return false;
    CentreOnScreen(*this);
    splashTimer_.start();
    return true;
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    // Drawn unscaled from the top-left; the picture's two extra columns fall outside.
    painter.drawPixmap(QPoint(0, 0), picture_);
}

void SplashWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint())) HandOverToMainWindow();
}

void SplashWindow::HandOverToMainWindow() {
    // A click and the timer can arrive in the same pass of the event loop, before the
    // deferred deletion of the splash; only the first of them hands over.
    if (handedOver_) return;
    handedOver_ = true;
    splashTimer_.stop();
    navigator_.ShowMainWindow();
    close();
}

}  // namespace korvel
