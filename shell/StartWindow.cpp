#include "StartWindow.h"

#include <QCloseEvent>
#include <QIcon>
#include <QPushButton>

#include "WindowNavigator.h"
#include "gui/WindowCentring.h"

namespace korvel {

namespace {

const QSize kClientSize(455, 368);
const QRect kEncryptButtonGeometry(48, 56, 145, 113);
const QRect kDecryptButtonGeometry(272, 56, 145, 113);

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

StartWindow::StartWindow(WindowNavigator& navigator)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      navigator_(navigator) {
    setWindowTitle(QStringLiteral("Korvel加密"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon_main.png")));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClientSize);

    // Created in this order; the Tab order below puts the encrypt button first.
    decryptButton_ =
        CreateButton(QStringLiteral("Command2"), QStringLiteral("解密"), kDecryptButtonGeometry);
    encryptButton_ =
        CreateButton(QStringLiteral("Command1"), QStringLiteral("加密"), kEncryptButtonGeometry);
    setTabOrder(encryptButton_, decryptButton_);
    encryptButton_->setFocus();

    encryptButton_->setAccessibleDescription(QStringLiteral("打开文件加密窗口"));
    decryptButton_->setAccessibleDescription(QStringLiteral("打开文件解密窗口"));

    connect(encryptButton_, &QPushButton::clicked, this, &StartWindow::EncryptClicked);
    connect(decryptButton_, &QPushButton::clicked, this, &StartWindow::DecryptClicked);
}

QPushButton* StartWindow::CreateButton(const QString& name, const QString& caption,
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

void StartWindow::Load() { CentreOnScreen(*this); }

void StartWindow::Unload() {
    unloadingByProgram_ = true;
    close();
}

void StartWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!unloadingByProgram_) navigator_.EndProgramAtOnce();
}

void StartWindow::EncryptClicked() {
    navigator_.ShowEncryptWindow();
    Unload();
}

void StartWindow::DecryptClicked() {
    navigator_.ShowDecryptWindow();
    Unload();
}

}  // namespace korvel
