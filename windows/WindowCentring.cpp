#include "WindowCentring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace korvel {

QPoint CentredPosition(QSize screen, QSize outerWindow) {
    return {(screen.width() - outerWindow.width()) / 2,
            (screen.height() - outerWindow.height()) / 2};
}

void CentreOnScreen(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    // Before the first show the frame is not known yet; the client size stands in for it then.
    const QSize frameExtra = window.frameGeometry().size() - window.geometry().size();
    const QSize outer = window.size() + frameExtra;
    const QPoint topLeft = screen->geometry().topLeft() + CentredPosition(screen->size(), outer);
    window.move(topLeft);  // move() places the frame's top-left corner
}

}  // namespace korvel
