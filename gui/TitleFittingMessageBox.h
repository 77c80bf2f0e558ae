#pragma once

#include <QMessageBox>

namespace korvel {

// A message box at least as wide as its title needs. Qt sizes a box by its text and allows only
// a little room beside the title, so a window manager cut the title of short boxes ("提示信息"
// over "密文已经生成"). This one leaves room for the title, the caption's icon and its buttons.
class TitleFittingMessageBox : public QMessageBox {
public:
    TitleFittingMessageBox(Icon icon, const QString& title, const QString& text,
                           StandardButtons buttons, QWidget* parent);

    // The least width, in pixels, at which a caption shows `title` whole in `captionFont`.
    static int WidthForTitle(const QString& title, const QFont& captionFont);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void WidenForTitle();
};

}  // namespace korvel
