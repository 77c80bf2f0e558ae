#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "BannerBox.h"
#include "WindowHarness.h"
#include "gtest/gtest.h"

namespace korvel::testing {
namespace {

struct ExpectedControl {
    const char* name;
    const char* className;
    QRect geometry;  // pixels
};

// Twips of the layout divided by 15, rounded.
const ExpectedControl kControls[] = {
    {"Command7", "QPushButton", {392, 368, 73, 25}},
    {"ProgressBar1", "QProgressBar", {264, 328, 313, 25}},
    {"Command5", "QPushButton", {296, 432, 89, 33}},
    {"Check1", "QCheckBox", {80, 392, 73, 12}},
    {"Command6", "QPushButton", {8, 432, 89, 33}},
    {"Picture1", "korvel::BannerBox", {8, 8, 607, 81}},
    {"Command4", "QPushButton", {440, 432, 89, 33}},
    {"Command3", "QPushButton", {120, 432, 89, 33}},
    {"Text4", "QLineEdit", {80, 352, 113, 26}},
    {"Text3", "QLineEdit", {80, 288, 113, 26}},
    {"Text2", "QLineEdit", {8, 232, 513, 25}},
    {"Command2", "QPushButton", {536, 224, 73, 33}},
    {"Text1", "QLineEdit", {8, 144, 513, 25}},
    {"Command1", "QPushButton", {536, 136, 73, 33}},
    {"Label5", "QLabel", {272, 288, 65, 17}},
    {"Label4", "QLabel", {16, 360, 57, 25}},
    {"Label3", "QLabel", {16, 296, 41, 25}},
    {"Label2", "QLabel", {8, 192, 505, 25}},
    {"Label1", "QLabel", {8, 112, 513, 17}},
};

QStringList WidgetChildrenInCreationOrder(const QWidget& window) {
    QStringList names;
    for (QObject* child : window.children()) {
        if (child->isWidgetType()) names << child->objectName();
    }
    return names;
}

QString Caption(const WindowHarness& h, const char* name) {
    if (auto* button = h.control<QAbstractButton>(name)) return button->text();
    if (auto* label = h.control<QLabel>(name)) return label->text();
    return QStringLiteral("<no caption>");
}

class WindowLayoutTest : public ::testing::TestWithParam<Direction> {
protected:
    WindowHarness harness{GetParam()};
    bool encrypt() const { return GetParam() == Direction::Encrypt; }
};

TEST_P(WindowLayoutTest, EveryControlHasItsKindAndGeometryAndNoTwoOverlap) {
    for (const ExpectedControl& expected : kControls) {
        QWidget* control = harness.control<QWidget>(expected.name);
        ASSERT_NE(control, nullptr) << expected.name;
        EXPECT_STREQ(control->metaObject()->className(), expected.className) << expected.name;
        EXPECT_EQ(control->geometry(), expected.geometry) << expected.name;
        EXPECT_TRUE(QRect(0, 0, 622, 482).contains(control->geometry())) << expected.name;
    }
    for (const ExpectedControl& a : kControls) {
        for (const ExpectedControl& b : kControls) {
            if (&a == &b) continue;
            EXPECT_FALSE(a.geometry.intersects(b.geometry)) << a.name << " " << b.name;
        }
    }
}

TEST_P(WindowLayoutTest, WindowIsFixedMinimisableAndNotMaximisable) {
    CipherWindow& window = harness.window();
    EXPECT_EQ(window.windowTitle(),
              encrypt() ? QStringLiteral("文件加密") : QStringLiteral("文件解密"));
    EXPECT_EQ(window.objectName(), encrypt() ? QStringLiteral("Form4") : QStringLiteral("Form5"));
    EXPECT_EQ(window.minimumSize(), QSize(622, 482));
    EXPECT_EQ(window.maximumSize(), QSize(622, 482));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(window.isWindow());
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.testAttribute(Qt::WA_DeleteOnClose));
}

TEST_P(WindowLayoutTest, CaptionsDifferOnlyWhereTheWindowsDiffer) {
    EXPECT_EQ(Caption(harness, "Command4"),
              encrypt() ? QStringLiteral("执行加密") : QStringLiteral("执行解密"));
    EXPECT_EQ(Caption(harness, "Label1"), encrypt() ? QStringLiteral("请输入源文件名和路径")
                                                    : QStringLiteral("请输入密文所在的路径"));
    EXPECT_EQ(Caption(harness, "Label2"), encrypt()
                                              ? QStringLiteral("请输入密文名和路径")
                                              : QStringLiteral("请输入密文解密后的明文存放路径"));
    const std::pair<const char*, const char*> shared[] = {
        {"Command1", "浏览"},     {"Command2", "浏览"},     {"Command3", "确认密码"},
        {"Command5", "使用说明"}, {"Command6", "更改密码"}, {"Command7", "取消"},
        {"Check1", "显示密码"},   {"Label3", "密码"},       {"Label4", "重复密码"},
        {"Label5", "进度"}};
    for (const auto& [name, caption] : shared) {
        EXPECT_EQ(Caption(harness, name), QString::fromUtf8(caption)) << name;
    }
}

TEST_P(WindowLayoutTest, FreshWindowIsUnconfirmedWithoutProgressDisplay) {
    for (const char* hidden : {"Command7", "Label5", "ProgressBar1"}) {
        EXPECT_TRUE(harness.control<QWidget>(hidden)->isHidden()) << hidden;
    }
    EXPECT_FALSE(harness.button("Command4")->isEnabled());
    EXPECT_FALSE(harness.button("Command6")->isEnabled());
    EXPECT_TRUE(harness.button("Command3")->isEnabled());
    EXPECT_FALSE(harness.control<QCheckBox>("Check1")->isChecked());
    for (const char* name : {"Text1", "Text2", "Text3", "Text4"}) {
        EXPECT_TRUE(harness.box(name)->text().isEmpty()) << name;
        EXPECT_EQ(harness.box(name)->maxLength(), 32767) << name << " has no length limit";
    }
    EXPECT_TRUE(harness.box("Text1")->isReadOnly());
    EXPECT_TRUE(harness.box("Text2")->isReadOnly());
    EXPECT_FALSE(harness.box("Text3")->isReadOnly());
    for (auto* button : harness.window().findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    }
    for (QLabel* label : harness.window().findChildren<QLabel*>()) {
        EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignTop)
            << label->objectName().toStdString();
    }
    auto* bar = harness.control<QProgressBar>("ProgressBar1");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_FALSE(bar->isTextVisible());
    EXPECT_EQ(bar->orientation(), Qt::Horizontal);
}

TEST_P(WindowLayoutTest, PasswordBoxesShowAsterisks) {
    for (const char* name : {"Text3", "Text4"}) {
        QLineEdit* box = harness.box(name);
        EXPECT_EQ(box->echoMode(), QLineEdit::Password) << name;
        EXPECT_EQ(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box), '*')
            << name;
        EXPECT_FALSE(box->testAttribute(Qt::WA_InputMethodEnabled)) << name;
    }
}

TEST_P(WindowLayoutTest, ControlsAreCreatedInTheWindowsOwnOrder) {
    const QStringList expected =
        encrypt() ? QStringList{"Command7", "ProgressBar1", "Command5", "Check1",   "Command6",
                                "Picture1", "Command4",     "Command3", "Text4",    "Text3",
                                "Text2",    "Command2",     "Text1",    "Command1", "Label5",
                                "Label4",   "Label3",       "Label2",   "Label1"}
                  : QStringList{"Command1", "Text1",    "Command2", "Text2",        "Text3",
                                "Text4",    "Command3", "Command4", "Picture1",     "Command6",
                                "Check1",   "Command5", "Command7", "ProgressBar1", "Label1",
                                "Label2",   "Label3",   "Label4",   "Label5"};
    EXPECT_EQ(WidgetChildrenInCreationOrder(harness.window()), expected);
}

TEST_P(WindowLayoutTest, BannerAndIconComeFromThePictures) {
    auto* banner = harness.control<BannerBox>("Picture1");
    if (banner->picture().isNull()) GTEST_SKIP() << "pictures not built into this program";
    EXPECT_EQ(banner->picture().size(), encrypt() ? QSize(610, 83) : QSize(610, 87));
    EXPECT_EQ(banner->focusPolicy(), Qt::StrongFocus);
    EXPECT_FALSE(harness.window().windowIcon().isNull());
}

// The box is lower than the usual check indicator; the whole square must still be drawn.
TEST_P(WindowLayoutTest, ShowPasswordIndicatorFitsInsideItsLowBox) {
    auto* check1 = harness.control<QCheckBox>("Check1");
    QStyleOptionButton option;
    option.initFrom(check1);
    option.text = check1->text();
    const QRect indicator =
        check1->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check1);
    EXPECT_TRUE(check1->rect().contains(indicator))
        << indicator.y() << "+" << indicator.height() << " in " << check1->height();
}

INSTANTIATE_TEST_SUITE_P(BothWindows, WindowLayoutTest,
                         ::testing::Values(Direction::Encrypt, Direction::Decrypt));

}  // namespace
}  // namespace korvel::testing
