#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace korvel {

// Top-left position that centres a window of the given outer size (frame and caption included)
// on a screen of the given size. Not clamped: a window larger than the screen overhangs both
// edges equally, so the result may be negative.
QPoint CentredPosition(QSize screen, QSize outerWindow);

// Moves a window so that its outer frame is centred on its screen.
void CentreOnScreen(QWidget& window);

}  // namespace korvel
