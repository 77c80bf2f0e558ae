#include <QApplication>
#include <QFontMetrics>

#include "gtest/gtest.h"
#include "gui/TitleFittingMessageBox.h"

namespace korvel::testing {
namespace {

int ShownWidth(QMessageBox& box) {
    box.show();
    const int width = box.width();
    box.hide();
    return width;
}

TEST(MessageBoxWidthTest, ShortBoxLeavesRoomForItsTitleLongBoxKeepsItsWidth) {
    const QString title = QStringLiteral("提示信息");
    const QFont captionFont = QApplication::font("QMdiSubWindowTitleBar");
    TitleFittingMessageBox shortBox(QMessageBox::Information, title, QStringLiteral("密文已经生成"),
                                    QMessageBox::Ok, nullptr);
    const int shortWidth = ShownWidth(shortBox);
    const QFontMetrics caption(captionFont);
    // The title, an icon and three caption buttons at least.
    EXPECT_GE(shortWidth, caption.horizontalAdvance(title) + 4 * caption.height());
    EXPECT_GE(shortWidth, TitleFittingMessageBox::WidthForTitle(title, captionFont));

    const QString longText = QString(60, QChar(0x5BC6));
    QMessageBox plain(QMessageBox::Warning, title, longText, QMessageBox::Ok);
    TitleFittingMessageBox fitting(QMessageBox::Warning, title, longText, QMessageBox::Ok, nullptr);
    EXPECT_EQ(ShownWidth(fitting), ShownWidth(plain));
}

}  // namespace
}  // namespace korvel::testing
