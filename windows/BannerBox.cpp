#include "BannerBox.h"

#include <QPainter>

namespace korvel {

BannerBox::BannerBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
}

void BannerBox::setPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void BannerBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (picture_.isNull()) return;
    QPainter painter(this);
    const QRect interior = contentsRect();
    painter.setClipRect(interior);
    painter.drawPixmap(interior.topLeft(), picture_);
}

}  // namespace korvel
