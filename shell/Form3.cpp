#include "Form3.h"

#include <QCloseEvent>
#include <QIcon>
#include <QPushButton>

#include "WindowCentring.h"
#include "WindowNavigator.h"

namespace korvel {

namespace {

const QSize kClientSize(455, 368);
const QRect kCommand1Geometry(48, 56, 145, 113);
const QRect kCommand2Geometry(272, 56, 145, 113);

QFont ButtonFont() {
    QFont font;
    // 宋体 where it exists, otherwise a Simplified-Chinese face that Linux systems carry.
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(24);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

}  // namespace

Form3::Form3(WindowNavigator& navigator)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      navigator_(navigator) {
    setWindowTitle(QStringLiteral("Korvel加密"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon_main.png")));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClientSize);

    // Created in this order; the Tab order below puts the encrypt button first.
    decryptButton_ =
        CreateButton(QStringLiteral("Command2"), QStringLiteral("解密"), kCommand2Geometry);
    encryptButton_ =
        CreateButton(QStringLiteral("Command1"), QStringLiteral("加密"), kCommand1Geometry);
    setTabOrder(encryptButton_, decryptButton_);
    encryptButton_->setFocus();

    encryptButton_->setAccessibleDescription(QStringLiteral("打开文件加密窗口"));
    decryptButton_->setAccessibleDescription(QStringLiteral("打开文件解密窗口"));

    connect(encryptButton_, &QPushButton::clicked, this, &Form3::EncryptClicked);
    connect(decryptButton_, &QPushButton::clicked, this, &Form3::DecryptClicked);
}

QPushButton* Form3::CreateButton(const QString& name, const QString& caption,
                                 const QRect& geometry) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFont(ButtonFont());
    // Outside a dialog a push button ignores Enter unless it is auto-default; this makes Enter
    // click the focused button. There is no default button, so Esc clicks nothing.
    button->setAutoDefault(true);
    button->setDefault(false);
    return button;
}

void Form3::Load() { CentreOnScreen(*this); }

void Form3::Unload() {
    unloadingByProgram_ = true;
    close();
}

void Form3::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!unloadingByProgram_) navigator_.EndProgramAtOnce();
}

void Form3::EncryptClicked() {
    navigator_.ShowEncryptWindow();
    Unload();
}

void Form3::DecryptClicked() {
    navigator_.ShowDecryptWindow();
    Unload();
}

}  // namespace korvel
