#include "WindowProfile.h"

#include <cmath>

namespace korvel {

namespace {

struct TwipRect {
    int left, top, width, height;
};

int TwipsToPixels(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

TwipRect GeometryInTwips(ControlId id) {
    switch (id) {
        case ControlId::Command7:
            return {5880, 5520, 1095, 375};
        case ControlId::ProgressBar1:
            return {3960, 4920, 4695, 375};
        case ControlId::Command5:
            return {4440, 6480, 1335, 495};
        case ControlId::Check1:
            return {1200, 5880, 1095, 180};
        case ControlId::Command6:
            return {120, 6480, 1335, 495};
        case ControlId::Picture1:
            return {120, 120, 9100, 1210};
        case ControlId::Command4:
            return {6600, 6480, 1335, 495};
        case ControlId::Command3:
            return {1800, 6480, 1335, 495};
        case ControlId::Text4:
            return {1200, 5280, 1695, 390};
        case ControlId::Text3:
            return {1200, 4320, 1695, 390};
        case ControlId::Text2:
            return {120, 3480, 7695, 375};
        case ControlId::Command2:
            return {8040, 3360, 1095, 495};
        case ControlId::Text1:
            return {120, 2160, 7695, 375};
        case ControlId::Command1:
            return {8040, 2040, 1095, 495};
        case ControlId::Label5:
            return {4080, 4320, 975, 255};
        case ControlId::Label4:
            return {240, 5400, 855, 375};
        case ControlId::Label3:
            return {240, 4440, 615, 375};
        case ControlId::Label2:
            return {120, 2880, 7575, 375};
        case ControlId::Label1:
            return {120, 1680, 7695, 255};
    }
    return {0, 0, 0, 0};
}

}  // namespace

QString ControlName(ControlId id) {
    switch (id) {
        case ControlId::Command1:
            return QStringLiteral("Command1");
        case ControlId::Command2:
            return QStringLiteral("Command2");
        case ControlId::Command3:
            return QStringLiteral("Command3");
        case ControlId::Command4:
            return QStringLiteral("Command4");
        case ControlId::Command5:
            return QStringLiteral("Command5");
        case ControlId::Command6:
            return QStringLiteral("Command6");
        case ControlId::Command7:
            return QStringLiteral("Command7");
        case ControlId::Text1:
            return QStringLiteral("Text1");
        case ControlId::Text2:
            return QStringLiteral("Text2");
        case ControlId::Text3:
            return QStringLiteral("Text3");
        case ControlId::Text4:
            return QStringLiteral("Text4");
        case ControlId::Label1:
            return QStringLiteral("Label1");
        case ControlId::Label2:
            return QStringLiteral("Label2");
        case ControlId::Label3:
            return QStringLiteral("Label3");
        case ControlId::Label4:
            return QStringLiteral("Label4");
        case ControlId::Label5:
            return QStringLiteral("Label5");
        case ControlId::Check1:
            return QStringLiteral("Check1");
        case ControlId::Picture1:
            return QStringLiteral("Picture1");
        case ControlId::ProgressBar1:
            return QStringLiteral("ProgressBar1");
    }
    return {};
}

QRect ControlGeometry(ControlId id) {
    const TwipRect twips = GeometryInTwips(id);
    return {TwipsToPixels(twips.left), TwipsToPixels(twips.top), TwipsToPixels(twips.width),
            TwipsToPixels(twips.height)};
}

WindowProfile WindowProfile::Encrypt() {
    using enum ControlId;
    return WindowProfile{
        .direction = Direction::Encrypt,
        .caption = QStringLiteral("文件加密"),
        .command4Caption = QStringLiteral("执行加密"),
        .label1Caption = QStringLiteral("请输入源文件名和路径"),
        .label2Caption = QStringLiteral("请输入密文名和路径"),
        .bannerResource = QStringLiteral(":/pictures/banner_encrypt.png"),
        .text1AccessibleName = QStringLiteral("源文件路径"),
        .text2AccessibleName = QStringLiteral("密文路径"),
        .command1AccessibleName = QStringLiteral("浏览源文件"),
        .command2AccessibleName = QStringLiteral("浏览密文存放位置"),
        .bannerAccessibleName = QStringLiteral("文件加密横幅图片：橙红色星云"),
        .openFilter = QStringLiteral("所有文件|*.*"),
        .saveFilter = QStringLiteral("|"),
        .creationOrder = {Command7, ProgressBar1, Command5, Check1, Command6, Picture1, Command4,
                          Command3, Text4, Text3, Text2, Command2, Text1, Command1, Label5, Label4,
                          Label3, Label2, Label1},
        .tabOrder = {Text1, Text2, Label1, Label2, Command1, Command2, Text3, Text4, Label3, Label4,
                     Command3, Command4, Picture1, Command6, Check1, Command5, ProgressBar1, Label5,
                     Command7},
    };
}

WindowProfile WindowProfile::Decrypt() {
    using enum ControlId;
    return WindowProfile{
        .direction = Direction::Decrypt,
        .caption = QStringLiteral("文件解密"),
        .command4Caption = QStringLiteral("执行解密"),
        .label1Caption = QStringLiteral("请输入密文所在的路径"),
        .label2Caption = QStringLiteral("请输入密文解密后的明文存放路径"),
        .bannerResource = QStringLiteral(":/pictures/banner_decrypt.png"),
        .text1AccessibleName = QStringLiteral("密文路径"),
        .text2AccessibleName = QStringLiteral("明文存放路径"),
        .command1AccessibleName = QStringLiteral("浏览密文"),
        .command2AccessibleName = QStringLiteral("浏览明文存放位置"),
        .bannerAccessibleName = QStringLiteral("文件解密横幅图片：蓝红色星空"),
        .openFilter = std::nullopt,
        .saveFilter = std::nullopt,
        .creationOrder = {Command1, Text1, Command2, Text2, Text3, Text4, Command3, Command4,
                          Picture1, Command6, Check1, Command5, Command7, ProgressBar1, Label1,
                          Label2, Label3, Label4, Label5},
        .tabOrder = {Command7, ProgressBar1, Command5, Check1, Command6, Picture1, Text1, Text2,
                     Label5, Label4, Label3, Label2, Label1, Command1, Command2, Text3, Text4,
                     Command3, Command4},
    };
}

}  // namespace korvel
