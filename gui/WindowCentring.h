#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QSize>

class QWidget;

namespace korvel {

// Centres a window by its outer frame, caption included. A window manager frames a window only
// when it is first shown, so a window is placed beforehand with the frame of the program's last
// framed window (they all have the same kind of caption), which then needs no correction. When no
// window has been framed yet, the window is moved once more as soon as its frame is known, by an
// object that the window owns and that removes itself then.
class WindowCentring : public QObject {
public:
    // Moves a window so that its outer frame is centred on its screen.
    static void Centre(QWidget& window);

    // Top-left position that centres a window of the given outer size on a screen of the given
    // size. Not clamped: a window larger than the screen overhangs both edges equally, so the
    // result may be negative.
    static QPoint CentredPosition(QSize screen, QSize outerWindow);

    // The frame margins of a window: empty before it is framed, and for frameless windows.
    static QMargins FrameMargins(const QWidget& window);

    // The frame of the last framed window seen, or no margins before the first one.
    static QMargins LastKnownFrame();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowCentring(QWidget& window);
    static void Centre(QWidget& window, QMargins frame);

    QWidget& window_;
};

// The centring rule of every window of the program.
inline void CentreOnScreen(QWidget& window) { WindowCentring::Centre(window); }

}  // namespace korvel
