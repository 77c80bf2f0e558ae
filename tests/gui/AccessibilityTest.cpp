#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "gtest/gtest.h"
#include "gui/ControlTable.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

// What a screen reader says for a few controls, as documented, not as the table has it.
struct SpokenName {
    const char* name;
    const char* encryptName;
    const char* decryptName;
};
const SpokenName kSpotNames[] = {
    {"Text1", "源文件路径", "密文路径"},
    {"Command2", "浏览密文存放位置", "浏览明文存放位置"},
    {"Picture1", "文件加密横幅图片：橙红色星云", "文件解密横幅图片：蓝红色星空"},
    {"Label5", "进度", "进度"},
};

QAccessibleInterface* Accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

QStringList LabelNames(QAccessibleInterface* control) {
    QStringList names;
    for (const auto& [other, relation] : control->relations(QAccessible::Label)) {
        names << other->object()->objectName();
    }
    return names;
}

class AccessibilityTest : public ::testing::TestWithParam<Direction> {
protected:
    WindowHarness harness{GetParam()};
    bool encrypt() const { return GetParam() == Direction::Encrypt; }
};

TEST_P(AccessibilityTest, EveryControlHasItsSpokenNameAndLabelsNameTheirBoxes) {
    for (const ControlRow& row : Controls()) {
        QAccessibleInterface* control = Accessible(harness.control<QWidget>(row.name));
        ASSERT_NE(control, nullptr) << row.name;
        const char* spoken = row.accessibleName.For(GetParam());
        if (!spoken) spoken = row.caption.For(GetParam());
        EXPECT_EQ(control->text(QAccessible::Name), QString::fromUtf8(spoken)) << row.name;
        EXPECT_FALSE(control->text(QAccessible::Name).isEmpty()) << row.name;
        if (!row.buddy) continue;
        QWidget* box = harness.control<QWidget>(RowOf(*row.buddy).name);
        EXPECT_EQ(harness.control<QLabel>(row.name)->buddy(), box);
        EXPECT_EQ(LabelNames(Accessible(box)), QStringList{QString::fromLatin1(row.name)});
        EXPECT_FALSE(harness.control<QLabel>(row.name)->text().contains(u'&'))
            << "captions stay exactly as they are";
    }
    for (const SpokenName& spot : kSpotNames) {
        EXPECT_EQ(Accessible(harness.control<QWidget>(spot.name))->text(QAccessible::Name),
                  QString::fromUtf8(encrypt() ? spot.encryptName : spot.decryptName));
    }
    EXPECT_EQ(LabelNames(Accessible(harness.control<QWidget>("ProgressBar1"))),
              QStringList{"Label5"});
    EXPECT_EQ(Accessible(harness.control<QWidget>("Picture1"))->role(), QAccessible::Graphic);
    EXPECT_EQ(Accessible(harness.box("Text3"))->role(), QAccessible::EditableText);
}

TEST_P(AccessibilityTest, ProgressBarTellsItsValueDuringARun) {
    harness.chooseFiles(QStringLiteral("plain.bin"), 204801, QStringLiteral("out.bin"));
    harness.confirmPassword(QStringLiteral("Secret1"));
    QAccessibleValueInterface* value =
        Accessible(harness.control<QProgressBar>("ProgressBar1"))->valueInterface();
    ASSERT_NE(value, nullptr);
    QVariant atNotice;
    harness.dialogs.onBox = [&](const FakeWindowDialogs::Box&) {
        atNotice = value->currentValue();
    };
    harness.run();

    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    EXPECT_EQ(atNotice.toInt(), 100);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
}

INSTANTIATE_TEST_SUITE_P(BothWindows, AccessibilityTest,
                         ::testing::Values(Direction::Encrypt, Direction::Decrypt), ByDirection);

}  // namespace
}  // namespace korvel::testing
