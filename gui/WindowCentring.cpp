#include "WindowCentring.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace korvel {

namespace {

// The application keeps the last frame seen, so it lasts exactly as long as the windows do.
constexpr const char* kLastFrameProperty = "korvelLastWindowFrame";

}  // namespace

WindowCentring::WindowCentring(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
}

void WindowCentring::Centre(QWidget& window) {
    QMargins frame = FrameMargins(window);
    const bool framed = !window.windowFlags().testFlag(Qt::FramelessWindowHint);
    if (frame.isNull() && framed) {
        frame = LastKnownFrame();
        new WindowCentring(window);
    }
    Centre(window, frame);
}

void WindowCentring::Centre(QWidget& window, QMargins frame) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QSize outer = window.size().grownBy(frame);
    const QPoint topLeft = screen->geometry().topLeft() + CentredPosition(screen->size(), outer);
    // move() places the frame's top-left corner; an unshown window must be moved even to where it
    // is, or the window manager chooses its place.
    if (!window.isVisible() || window.pos() != topLeft) window.move(topLeft);
}

QPoint WindowCentring::CentredPosition(QSize screen, QSize outerWindow) {
    return {(screen.width() - outerWindow.width()) / 2,
            (screen.height() - outerWindow.height()) / 2};
}

QMargins WindowCentring::FrameMargins(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

QMargins WindowCentring::LastKnownFrame() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application ? application->property(kLastFrameProperty).value<QMargins>() : QMargins();
}

bool WindowCentring::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    const bool geometryNews =
        type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize;
    if (watched != &window_ || !geometryNews || !window_.isVisible()) return false;
    const QMargins frame = FrameMargins(window_);
    if (frame.isNull()) return false;
    QCoreApplication::instance()->setProperty(kLastFrameProperty, QVariant::fromValue(frame));
    window_.removeEventFilter(this);
    Centre(window_, frame);
    deleteLater();
    return false;
}

}  // namespace korvel
