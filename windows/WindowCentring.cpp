#include "WindowCentring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "FrameCentring.h"

namespace korvel {

QPoint CentredPosition(QSize screen, QSize outerWindow) {
    return {(screen.width() - outerWindow.width()) / 2,
            (screen.height() - outerWindow.height()) / 2};
}

void CentreOnScreen(QWidget& window) {
    QMargins frame = FrameMargins(window);
    const bool framed = !window.windowFlags().testFlag(Qt::FramelessWindowHint);
    if (frame.isNull() && framed) {
        frame = FrameCentring::LastKnownFrame();
        new FrameCentring(window);
    }
    CentreOnScreen(window, frame);
}

void CentreOnScreen(QWidget& window, QMargins frame) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QSize outer = window.size().grownBy(frame);
    const QPoint topLeft = screen->geometry().topLeft() + CentredPosition(screen->size(), outer);
    // move() places the frame's top-left corner; an unshown window must be moved even to where it
    // is, or the window manager chooses its place.
    if (!window.isVisible() || window.pos() != topLeft) window.move(topLeft);
}

}  // namespace korvel
