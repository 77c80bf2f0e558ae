#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "WindowHarness.h"
#include "gtest/gtest.h"

namespace korvel::testing {
namespace {

struct SpokenControl {
    const char* name;
    QString encryptName;
    QString decryptName;
};

// What a screen reader says for each control that can be reached or read.
const SpokenControl kSpokenControls[] = {
    {"Text1", QStringLiteral("源文件路径"), QStringLiteral("密文路径")},
    {"Text2", QStringLiteral("密文路径"), QStringLiteral("明文存放路径")},
    {"Text3", QStringLiteral("密码"), QStringLiteral("密码")},
    {"Text4", QStringLiteral("重复密码"), QStringLiteral("重复密码")},
    {"Command1", QStringLiteral("浏览源文件"), QStringLiteral("浏览密文")},
    {"Command2", QStringLiteral("浏览密文存放位置"), QStringLiteral("浏览明文存放位置")},
    {"Command3", QStringLiteral("确认密码"), QStringLiteral("确认密码")},
    {"Command4", QStringLiteral("执行加密"), QStringLiteral("执行解密")},
    {"Command5", QStringLiteral("使用说明"), QStringLiteral("使用说明")},
    {"Command6", QStringLiteral("更改密码"), QStringLiteral("更改密码")},
    {"Command7", QStringLiteral("取消"), QStringLiteral("取消")},
    {"Check1", QStringLiteral("显示密码"), QStringLiteral("显示密码")},
    {"Picture1", QStringLiteral("文件加密横幅图片：橙红色星云"),
     QStringLiteral("文件解密横幅图片：蓝红色星空")},
    {"ProgressBar1", QStringLiteral("进度"), QStringLiteral("进度")},
    {"Label3", QStringLiteral("密码"), QStringLiteral("密码")},
    {"Label5", QStringLiteral("进度"), QStringLiteral("进度")},
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

TEST_P(AccessibilityTest, EveryControlHasANameAScreenReaderSpeaks) {
    for (const SpokenControl& spoken : kSpokenControls) {
        QAccessibleInterface* control = Accessible(harness.control<QWidget>(spoken.name));
        ASSERT_NE(control, nullptr) << spoken.name;
        EXPECT_EQ(control->text(QAccessible::Name),
                  encrypt() ? spoken.encryptName : spoken.decryptName)
            << spoken.name;
    }
    for (QWidget* child : harness.window().findChildren<QWidget*>()) {
        EXPECT_FALSE(Accessible(child)->text(QAccessible::Name).isEmpty())
            << child->objectName().toStdString() << " has no spoken name";
    }
}

TEST_P(AccessibilityTest, LabelsNameTheBoxesBesideThemAndTheBannerIsAPicture) {
    const std::pair<const char*, const char*> labelled[] = {{"Text1", "Label1"},
                                                            {"Text2", "Label2"},
                                                            {"Text3", "Label3"},
                                                            {"Text4", "Label4"},
                                                            {"ProgressBar1", "Label5"}};
    for (const auto& [box, label] : labelled) {
        EXPECT_EQ(harness.control<QLabel>(label)->buddy(), harness.control<QWidget>(box));
        EXPECT_EQ(LabelNames(Accessible(harness.control<QWidget>(box))),
                  QStringList{QString::fromLatin1(label)})
            << box;
    }
    for (const char* label : {"Label1", "Label2", "Label3", "Label4", "Label5"}) {
        EXPECT_FALSE(harness.control<QLabel>(label)->text().contains(u'&'))
            << "captions stay exactly as they are";
    }
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
    harness.click("Command4");

    ASSERT_EQ(harness.dialogs.boxes.size(), 1u);
    EXPECT_EQ(atNotice.toInt(), 100);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
}

INSTANTIATE_TEST_SUITE_P(BothWindows, AccessibilityTest,
                         ::testing::Values(Direction::Encrypt, Direction::Decrypt),
                         [](const auto& info) {
                             return info.param == Direction::Encrypt ? "Encrypt" : "Decrypt";
                         });

}  // namespace
}  // namespace korvel::testing
