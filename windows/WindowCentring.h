#pragma once

#include <QMargins>
#include <QPoint>
#include <QSize>

class QWidget;

namespace korvel {

// Top-left position that centres a window of the given outer size (frame and caption included)
// on a screen of the given size. Not clamped: a window larger than the screen overhangs both
// edges equally, so the result may be negative.
QPoint CentredPosition(QSize screen, QSize outerWindow);

// Moves a window so that its outer frame is centred on its screen. Before the window manager has
// framed it, the frame is taken to be that of the program's last framed window, and the window is
// centred again once its own frame is known.
void CentreOnScreen(QWidget& window);

// Moves a window so that, with the given frame around it, the frame is centred on its screen.
void CentreOnScreen(QWidget& window, QMargins frame);

}  // namespace korvel
