#include "TitleFittingMessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLayout>

namespace korvel {

namespace {

// Captions hold, beside the title, an icon and up to three buttons with margins; each of them is
// about as wide as a line of caption text is high, plus a little. Eight line heights keep the
// title whole under the common window managers and on Windows, also at larger text sizes.
constexpr int kCaptionAllowanceInLines = 8;

}  // namespace

TitleFittingMessageBox::TitleFittingMessageBox(Icon icon, const QString& title, const QString& text,
                                               StandardButtons buttons, QWidget* parent)
    : QMessageBox(icon, title, text, buttons, parent) {}

int TitleFittingMessageBox::WidthForTitle(const QString& title, const QFont& captionFont) {
    const QFontMetrics metrics(captionFont);
    return metrics.horizontalAdvance(title) + kCaptionAllowanceInLines * metrics.height();
}

// QMessageBox fixes its size while it handles the show event, and again whenever its font or
// style changes; widening follows each of these.
void TitleFittingMessageBox::showEvent(QShowEvent* event) {
    QMessageBox::showEvent(event);
    WidenForTitle();
}

void TitleFittingMessageBox::resizeEvent(QResizeEvent* event) {
    QMessageBox::resizeEvent(event);
    WidenForTitle();
}

void TitleFittingMessageBox::WidenForTitle() {
    const int needed = WidthForTitle(windowTitle(), QApplication::font("QMdiSubWindowTitleBar"));
    if (width() >= needed) return;
    const int height =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(needed) : this->height();
    setFixedSize(needed, qMax(height, this->height()));
}

}  // namespace korvel
