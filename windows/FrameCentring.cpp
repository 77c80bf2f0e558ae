#include "FrameCentring.h"

#include <QEvent>
#include <QWidget>

#include "WindowCentring.h"

namespace korvel {

namespace {

QMargins lastKnownFrame;

}  // namespace

FrameCentring::FrameCentring(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
}

QMargins FrameCentring::LastKnownFrame() { return lastKnownFrame; }

bool FrameCentring::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    const bool geometryNews =
        type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize;
    if (watched != &window_ || !geometryNews || !window_.isVisible()) return false;
    const QMargins frame = FrameMargins(window_);
    if (frame.isNull()) return false;
    lastKnownFrame = frame;
    window_.removeEventFilter(this);
    CentreOnScreen(window_, frame);
    deleteLater();
    return false;
}

QMargins FrameMargins(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

}  // namespace korvel
