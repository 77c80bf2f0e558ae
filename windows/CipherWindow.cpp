#include "CipherWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "BannerBox.h"
#include "FolderPaths.h"
#include "HelpOpener.h"
#include "PasswordCheck.h"
#include "RunMessages.h"
#include "SourceDropTarget.h"
#include "WindowCentring.h"
#include "WindowDialogs.h"

namespace korvel {

namespace {

const QString kWindowIcon = QStringLiteral(":/pictures/icon_cipher.png");

std::filesystem::path ToFilesystemPath(const QString& text) {
#ifdef _WIN32
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    // Enter clicks the focused button; no button is the window's default.
    button->setAutoDefault(true);
    return button;
}

QLineEdit* MakePasswordBox(QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // '*'
    return box;
}

}  // namespace

CipherWindow::CipherWindow(const WindowProfile& profile, WindowDialogs& dialogs, HelpOpener& help,
                           QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      profile_(profile),
      dialogs_(dialogs),
      help_(help),
      CommonDialog1(dialogs, this),
      endProgram_([] { QCoreApplication::exit(0); }) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(profile_.direction == Direction::Encrypt ? QStringLiteral("Form4")
                                                           : QStringLiteral("Form5"));
    setWindowTitle(profile_.caption);
    if (QFile::exists(kWindowIcon)) setWindowIcon(QIcon(kWindowIcon));
    setFixedSize(kWindowClientWidth, kWindowClientHeight);
    CreateControls();
    // A dropped file becomes the source just as a file chosen in the Open dialog does.
    new SourceDropTarget(
        *this, *Text2, dialogs_, [this] { return running_; },
        [this](const QString& file) {
            CommonDialog1.FileName = file;
            Text1->setText(file);
        });
    DescribeForAssistiveTools();
    ArrangeTabOrder();
    FocusFirstControl();
    Form_Activate();
    Form_Load();
}

void CipherWindow::overrideApplicationFolder(const QString& folder) {
    applicationFolderOverride_ = folder;
}

void CipherWindow::setProgramEnder(std::function<void()> endProgram) {
    endProgram_ = std::move(endProgram);
}

void CipherWindow::setMinimumPumpInterval(std::chrono::milliseconds interval) {
    pumpInterval_ = interval;
}

// ---- Controls ----

void CipherWindow::CreateControls() {
    for (ControlId id : profile_.creationOrder) {
        CreateControl(id);
        QWidget* control = Control(id);
        control->setObjectName(ControlName(id));
        control->setGeometry(ControlGeometry(id));
    }
    for (QLineEdit* box : {Text3, Text4}) box->setAttribute(Qt::WA_InputMethodEnabled, false);
    SetPasswordBoxesMasked(true);
    Text1->setReadOnly(true);
    Text2->setReadOnly(true);
    Command4->setEnabled(false);
    Command6->setEnabled(false);
    Command7->hide();
    Label5->hide();
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    // The box is 12 pixels high, less than the style's usual indicator; a smaller indicator
    // keeps the whole square visible (the style scales it with the screen like everything else).
    Check1->setStyleSheet(QStringLiteral("QCheckBox::indicator { width: 10px; height: 10px; }"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    if (QFile::exists(profile_.bannerResource)) {
        Picture1->setPicture(QPixmap(profile_.bannerResource));
    }
}

void CipherWindow::CreateControl(ControlId id) {
    switch (id) {
        case ControlId::Command1:
            Command1 = MakeButton(QStringLiteral("浏览"), this);
            connect(Command1, &QPushButton::clicked, this, &CipherWindow::Command1_Click);
            break;
        case ControlId::Command2:
            Command2 = MakeButton(QStringLiteral("浏览"), this);
            connect(Command2, &QPushButton::clicked, this, &CipherWindow::Command2_Click);
            break;
        case ControlId::Command3:
            Command3 = MakeButton(QStringLiteral("确认密码"), this);
            connect(Command3, &QPushButton::clicked, this, &CipherWindow::Command3_Click);
            break;
        case ControlId::Command4:
            Command4 = MakeButton(profile_.command4Caption, this);
            connect(Command4, &QPushButton::clicked, this, &CipherWindow::Command4_Click);
            break;
        case ControlId::Command5:
            Command5 = MakeButton(QStringLiteral("使用说明"), this);
            connect(Command5, &QPushButton::clicked, this, &CipherWindow::Command5_Click);
            break;
        case ControlId::Command6:
            Command6 = MakeButton(QStringLiteral("更改密码"), this);
            connect(Command6, &QPushButton::clicked, this, &CipherWindow::Command6_Click);
            break;
        case ControlId::Command7:
            Command7 = MakeButton(QStringLiteral("取消"), this);
            connect(Command7, &QPushButton::clicked, this, &CipherWindow::Command7_Click);
            break;
        case ControlId::Text1:
            Text1 = new QLineEdit(this);
            break;
        case ControlId::Text2:
            Text2 = new QLineEdit(this);
            break;
        case ControlId::Text3:
            Text3 = MakePasswordBox(this);
            break;
        case ControlId::Text4:
            Text4 = MakePasswordBox(this);
            break;
        case ControlId::Label1:
            Label1 = new QLabel(profile_.label1Caption, this);
            break;
        case ControlId::Label2:
            Label2 = new QLabel(profile_.label2Caption, this);
            break;
        case ControlId::Label3:
            Label3 = new QLabel(QStringLiteral("密码"), this);
            break;
        case ControlId::Label4:
            Label4 = new QLabel(QStringLiteral("重复密码"), this);
            break;
        case ControlId::Label5:
            Label5 = new QLabel(QStringLiteral("进度"), this);
            break;
        case ControlId::Check1:
            Check1 = new QCheckBox(QStringLiteral("显示密码"), this);
            connect(Check1, &QCheckBox::clicked, this, &CipherWindow::Check1_Click);
            break;
        case ControlId::Picture1:
            Picture1 = new BannerBox(this);
            break;
        case ControlId::ProgressBar1:
            ProgressBar1 = new QProgressBar(this);
            break;
    }
}

// Each label names the box beside it; the controls whose caption is ambiguous or missing get a
// name of their own, so that a screen reader can tell every control apart.
void CipherWindow::DescribeForAssistiveTools() {
    Label1->setBuddy(Text1);
    Label2->setBuddy(Text2);
    Label3->setBuddy(Text3);
    Label4->setBuddy(Text4);
    Label5->setBuddy(ProgressBar1);
    Text1->setAccessibleName(profile_.text1AccessibleName);
    Text2->setAccessibleName(profile_.text2AccessibleName);
    Text3->setAccessibleName(QStringLiteral("密码"));
    Text4->setAccessibleName(QStringLiteral("重复密码"));
    Command1->setAccessibleName(profile_.command1AccessibleName);
    Command2->setAccessibleName(profile_.command2AccessibleName);
    Picture1->setAccessibleName(profile_.bannerAccessibleName);
    ProgressBar1->setAccessibleName(QStringLiteral("进度"));
}

QWidget* CipherWindow::Control(ControlId id) const {
    switch (id) {
        case ControlId::Command1:
            return Command1;
        case ControlId::Command2:
            return Command2;
        case ControlId::Command3:
            return Command3;
        case ControlId::Command4:
            return Command4;
        case ControlId::Command5:
            return Command5;
        case ControlId::Command6:
            return Command6;
        case ControlId::Command7:
            return Command7;
        case ControlId::Text1:
            return Text1;
        case ControlId::Text2:
            return Text2;
        case ControlId::Text3:
            return Text3;
        case ControlId::Text4:
            return Text4;
        case ControlId::Label1:
            return Label1;
        case ControlId::Label2:
            return Label2;
        case ControlId::Label3:
            return Label3;
        case ControlId::Label4:
            return Label4;
        case ControlId::Label5:
            return Label5;
        case ControlId::Check1:
            return Check1;
        case ControlId::Picture1:
            return Picture1;
        case ControlId::ProgressBar1:
            return ProgressBar1;
    }
    return nullptr;
}

void CipherWindow::ArrangeTabOrder() {
    QWidget* previous = nullptr;
    for (ControlId id : profile_.tabOrder) {
        QWidget* control = Control(id);
        if (control->focusPolicy() == Qt::NoFocus) continue;
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

// The window opens with the focus on the first control in Tab order that can take it.
void CipherWindow::FocusFirstControl() {
    for (ControlId id : profile_.tabOrder) {
        QWidget* control = Control(id);
        const bool canFocus = (control->focusPolicy() & Qt::TabFocus) != 0;
        if (canFocus && !control->isHidden() && control->isEnabled()) {
            control->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void CipherWindow::SetPasswordBoxesLocked(bool locked) {
    for (QLineEdit* box : {Text3, Text4}) {
        box->setReadOnly(locked);
        // Qt turns the input method back on with every change of the box; keep it off.
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
}

void CipherWindow::SetPasswordBoxesMasked(bool masked) {
    for (QLineEdit* box : {Text3, Text4}) {
        box->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
}

void CipherWindow::SetRunControlsEnabled(bool enabled) {
    for (QPushButton* button : {Command6, Command4, Command1, Command2}) {
        button->setEnabled(enabled);
    }
}

// ---- Password section ----

void CipherWindow::Check1_Click() { SetPasswordBoxesMasked(!Check1->isChecked()); }

void CipherWindow::Command3_Click() {
    if (Text3->text().isEmpty()) return;
    password_ = Text3->text();
    if (auto refusal = PasswordRefusal(password_, Text4->text())) {
        dialogs_.ShowInformation(this, kNoticeTitle, *refusal);
        return;
    }
    const bool confirmedFromKeyboardFocus = Command3->hasFocus();
    Command6->setEnabled(true);
    Command3->setEnabled(false);
    Command4->setEnabled(true);
    SetPasswordBoxesLocked(true);
    // The focus leaves the disabled button; the next step is the run, so it goes there.
    if (confirmedFromKeyboardFocus) Command4->setFocus(Qt::TabFocusReason);
}

void CipherWindow::Command6_Click() {
    const bool changedFromKeyboardFocus = Command6->hasFocus();
    Command3->setEnabled(true);
    Command6->setEnabled(false);
    Command4->setEnabled(false);
    SetPasswordBoxesLocked(false);
    // The focus leaves the disabled button for the box the user now edits.
    if (changedFromKeyboardFocus) Text3->setFocus(Qt::TabFocusReason);
}

// ---- File selection, help, cancel ----

void CipherWindow::Command1_Click() {
    if (profile_.openFilter) CommonDialog1.Filter = *profile_.openFilter;
    CommonDialog1.ShowOpen();
    Text1->setText(CommonDialog1.FileName);
}

void CipherWindow::Command2_Click() {
    if (profile_.saveFilter) CommonDialog1.Filter = *profile_.saveFilter;
    CommonDialog1.ShowSave();
    Text2->setText(CommonDialog1.FileName);
}

// Like a key press from the keyboard: posted, not handled before this handler returns.
void CipherWindow::Command5_Click() {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (!target) target = this;
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier));
}

void CipherWindow::Command7_Click() { CancelRequested = true; }

void CipherWindow::OpenHelp() { help_.ShowHelp(helpFilePath_, this); }

// ---- The run ----

void CipherWindow::Command4_Click() {
    if (running_) return;
    RunRequest request;
    request.direction = profile_.direction;
    request.source = ToFilesystemPath(Text1->text());
    request.target = ToFilesystemPath(Text2->text());
    request.password = password_.toStdString();
    request.keyFile = ToFilesystemPath(keyFilePath_);
    running_ = true;
    CipherRun(request, *this);
    running_ = false;
    if (userClosed_) endProgram_();
}

void CipherWindow::ShowNotice(const std::string& text, NoticeKind kind) {
    const QString message = QString::fromStdString(text);
    if (kind == NoticeKind::Warning) {
        dialogs_.ShowWarning(this, kNoticeTitle, message);
    } else {
        dialogs_.ShowInformation(this, kNoticeTitle, message);
    }
}

void CipherWindow::EnterProgressMode() {
    Label5->setVisible(true);
    Command7->setVisible(true);
    ProgressBar1->setVisible(true);
    ProgressBar1->setMaximum(100);
    ProgressBar1->setMinimum(0);
    Check1->setVisible(false);
    SetRunControlsEnabled(false);
    lastPump_.invalidate();  // the first update lets events through at once
}

void CipherWindow::ShowPercent(int percent) { ProgressBar1->setValue(percent); }

CancelAnswer CipherWindow::AskCancel(const std::string& title, const std::string& text) {
    const bool yes =
        dialogs_.AskYesNo(this, QString::fromStdString(title), QString::fromStdString(text));
    return yes ? CancelAnswer::Yes : CancelAnswer::No;
}

// Updates come every 1000 bytes, far more often than anyone can click; handling events at each
// of them would cost more than the cipher itself, so they are let through at most every
// pumpInterval_.
bool CipherWindow::PumpEvents() {
    if (userClosed_) return false;
    if (PumpIsDue()) {
        QCoreApplication::processEvents();
        lastPump_.start();
        updatesSinceClockRead_ = 0;
    }
    return !userClosed_;
}

// Even reading the clock at every update costs a measurable share of a large run, so it is read
// only every few updates (a few tens of microseconds of cipher work apart).
bool CipherWindow::PumpIsDue() {
    if (!lastPump_.isValid() || pumpInterval_.count() == 0) return true;
    if (++updatesSinceClockRead_ < kUpdatesPerClockRead) return false;
    updatesSinceClockRead_ = 0;
    return lastPump_.elapsed() >= pumpInterval_.count();
}

void CipherWindow::LeaveProgressMode(LeaveHalf half, LeaveReason reason) {
    if (half == LeaveHalf::RestoreControls) {
        Check1->setVisible(true);
        SetRunControlsEnabled(true);
        return;
    }
    ProgressBar1->setVisible(false);
    if (reason == LeaveReason::Completed) {
        Label5->setVisible(false);
        Command7->setVisible(false);
    } else {
        Command7->setVisible(false);
        Label5->setVisible(false);
    }
}

// ---- Window events ----

void CipherWindow::Form_Load() { CentreOnScreen(*this); }

void CipherWindow::Form_Activate() {
    const QString folder =
        applicationFolderOverride_.value_or(QCoreApplication::applicationDirPath());
    keyFilePath_ = PathInFolder(folder, QStringLiteral("uae"));
    helpFilePath_ = PathInFolder(folder, QStringLiteral("help.chm"));
}

bool CipherWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Form_Activate();
    return QWidget::event(event);
}

void CipherWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OpenHelp();
        return;
    }
    QWidget::keyPressEvent(event);
}

// A close by the user ends the whole program; a close for any other reason is left alone.
void CipherWindow::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) {
        OnUserClose(event);
        return;
    }
    QWidget::closeEvent(event);
}

void CipherWindow::OnUserClose(QCloseEvent* event) {
    userClosed_ = true;
    if (running_) {
        // The run still uses this window; it stops at its next PumpEvents and the program ends
        // once it has unwound.
        event->ignore();
        hide();
        return;
    }
    event->accept();
    endProgram_();
}

}  // namespace korvel
