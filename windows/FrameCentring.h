#pragma once

#include <QMargins>
#include <QObject>

class QWidget;

namespace korvel {

// Keeps a framed window centred by its outer frame. A window manager frames a window only when it
// is first shown, so a window is placed beforehand with the frame of the last framed window of the
// program (they all have the same kind of caption), which then needs no correction; when no
// window has been framed yet, this moves the window once, as soon as its frame is known. Owned by
// the window; removes itself once the frame is known.
class FrameCentring : public QObject {
public:
    explicit FrameCentring(QWidget& window);

    // The frame of the last framed window seen, or no margins before the first one.
    static QMargins LastKnownFrame();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
};

// The frame margins of a window: empty before it is framed, and for frameless windows.
QMargins FrameMargins(const QWidget& window);

}  // namespace korvel
