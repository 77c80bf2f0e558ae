#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <set>

#include "gtest/gtest.h"
#include "gui/BannerBox.h"
#include "gui/ControlTable.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

const char* ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
            return "QPushButton";
        case ControlKind::PathBox:
        case ControlKind::PasswordBox:
            return "QLineEdit";
        case ControlKind::Label:
            return "QLabel";
        case ControlKind::CheckBox:
            return "QCheckBox";
        case ControlKind::Banner:
            return "korvel::BannerBox";
        case ControlKind::ProgressBar:
            return "QProgressBar";
    }
    return "";
}

QStringList WidgetChildrenInCreationOrder(const QWidget& window) {
    QStringList names;
    for (QObject* child : window.children()) {
        if (child->isWidgetType()) names << child->objectName();
    }
    return names;
}

QString Caption(const QWidget* control) {
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
    if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    return {};
}

// Values read off the documented layout (twips / 15, rounded), not off the table, so that a
// wrong row is caught.
struct SpotValue {
    const char* name;
    QRect geometry;
    const char* encryptCaption;
    const char* decryptCaption;
};
const SpotValue kSpotValues[] = {
    {"Picture1", {8, 8, 607, 81}, "", ""},
    {"Check1", {80, 392, 73, 12}, "显示密码", "显示密码"},
    {"Text4", {80, 352, 113, 26}, "", ""},
    {"Command4", {440, 432, 89, 33}, "执行加密", "执行解密"},
    {"Label2", {8, 192, 505, 25}, "请输入密文名和路径", "请输入密文解密后的明文存放路径"},
    {"Command7", {392, 368, 73, 25}, "取消", "取消"},
};

class WindowLayoutTest : public ::testing::TestWithParam<Direction> {
protected:
    WindowHarness harness{GetParam()};
    bool encrypt() const { return GetParam() == Direction::Encrypt; }
};

TEST_P(WindowLayoutTest, EveryControlIsMadeAsItsRowSaysAndNoTwoOverlap) {
    QStringList creationOrder(Controls().size());
    for (const ControlRow& row : Controls()) {
        QWidget* control = harness.control<QWidget>(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_STREQ(control->metaObject()->className(), ClassOf(row.kind)) << row.name;
        EXPECT_EQ(control->geometry(), ToPixels(row.twips)) << row.name;
        EXPECT_TRUE(QRect(0, 0, 622, 482).contains(control->geometry())) << row.name;
        EXPECT_EQ(Caption(control), QString::fromUtf8(row.caption.For(GetParam()))) << row.name;
        creationOrder[row.creationIndex.For(GetParam())] = QString::fromLatin1(row.name);
        for (const ControlRow& other : Controls()) {
            if (&other == &row) continue;
            EXPECT_FALSE(ToPixels(row.twips).intersects(ToPixels(other.twips)))
                << row.name << " " << other.name;
        }
    }
    EXPECT_EQ(WidgetChildrenInCreationOrder(harness.window()), creationOrder);
    EXPECT_EQ(creationOrder.first(), encrypt() ? "Command7" : "Command1");
    for (const SpotValue& spot : kSpotValues) {
        QWidget* control = harness.control<QWidget>(spot.name);
        EXPECT_EQ(control->geometry(), spot.geometry) << spot.name;
        EXPECT_EQ(Caption(control),
                  QString::fromUtf8(encrypt() ? spot.encryptCaption : spot.decryptCaption))
            << spot.name;
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
                         ::testing::Values(Direction::Encrypt, Direction::Decrypt), ByDirection);

// Each control once, and each window's Tab and creation orders without gaps or repeats.
TEST(ControlTableTest, EveryControlHasOneRowAndEveryOrderIsComplete) {
    for (Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
        std::set<ControlId> ids;
        std::set<int> tabIndexes, creationIndexes;
        for (const ControlRow& row : Controls()) {
            ids.insert(row.id);
            tabIndexes.insert(row.tabIndex.For(direction));
            creationIndexes.insert(row.creationIndex.For(direction));
            EXPECT_EQ(&RowOf(row.id), &row) << row.name;
        }
        const std::size_t count = Controls().size();
        EXPECT_EQ(ids.size(), count);
        EXPECT_EQ(tabIndexes.size(), count);
        EXPECT_EQ(*tabIndexes.rbegin(), int(count) - 1);
        EXPECT_EQ(creationIndexes.size(), count);
        EXPECT_EQ(*creationIndexes.rbegin(), int(count) - 1);
    }
}

}  // namespace
}  // namespace korvel::testing
