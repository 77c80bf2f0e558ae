#pragma once

#include <QFrame>
#include <QPixmap>

namespace korvel {

// A picture box with a sunken border that draws its picture from the top-left corner of its
// interior, neither scaled nor resized, cut off at the right and bottom edges.
class BannerBox : public QFrame {
    Q_OBJECT
public:
    explicit BannerBox(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

}  // namespace korvel
