#include "BannerBox.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace korvel {

namespace {

// Screen readers announce the banner as a picture rather than as an empty pane.
QAccessibleInterface* BannerAccessibility(const QString& className, QObject* object) {
    if (className != QLatin1String(BannerBox::staticMetaObject.className())) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
}

void InstallBannerAccessibilityOnce() {
    static const bool installed = [] {
        QAccessible::installFactory(BannerAccessibility);
        return true;
    }();
    (void)installed;
}

}  // namespace

BannerBox::BannerBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    InstallBannerAccessibilityOnce();
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
