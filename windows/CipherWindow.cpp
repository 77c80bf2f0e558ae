#include "CipherWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "BannerBox.h"
#include "CipherRun.h"
#include "FolderPaths.h"
#include "HelpOpener.h"
#include "PasswordCheck.h"
#include "RunMessages.h"
#include "SourceDropTarget.h"
#include "WindowCentring.h"
#include "WindowDialogs.h"

namespace korvel {

using enum ControlId;

namespace {

const QString kWindowIcon = QStringLiteral(":/pictures/icon_cipher.png");

#ifdef _WIN32
// Windows opens a path longer than MAX_PATH only in its extended form, "\\?\C:\..." or
// "\\?\UNC\server\share\...", which must be absolute and use backslashes only.
QString ExtendedLengthPath(const QString& text) {
    constexpr qsizetype kPlainPathLimit = 247;  // a folder's limit, lower than a file's
    const QString native = QDir::toNativeSeparators(text);
    if (native.size() <= kPlainPathLimit || native.startsWith(QStringLiteral("\\\\?\\"))) {
        return native;
    }
    const QString absolute =
        QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(text).absoluteFilePath()));
    if (absolute.startsWith(QStringLiteral("\\\\"))) {
        return QStringLiteral("\\\\?\\UNC\\") + absolute.mid(2);
    }
    return QStringLiteral("\\\\?\\") + absolute;
}
#endif

std::filesystem::path ToFilesystemPath(const QString& text) {
#ifdef _WIN32
    return std::filesystem::path(ExtendedLengthPath(text).toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
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
      controls_(*this, profile.direction),
      progress_(controls_, dialogs, *this),
      CommonDialog1(dialogs, this),
      endProgram_([] { QCoreApplication::exit(0); }) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(profile_.formName);
    setWindowTitle(profile_.caption);
    if (QFile::exists(kWindowIcon)) setWindowIcon(QIcon(kWindowIcon));
    setFixedSize(kWindowClientWidth, kWindowClientHeight);
    if (QFile::exists(profile_.bannerResource)) {
        Control<BannerBox>(Picture1)->setPicture(QPixmap(profile_.bannerResource));
    }
    ConnectHandlers();
    // A dropped file becomes the source just as a file chosen in the Open dialog does.
    new SourceDropTarget(
        *this, *Control(Text2), dialogs_, [this] { return running_; },
        [this](const QString& file) {
            CommonDialog1.FileName = file;
            Control<QLineEdit>(Text1)->setText(file);
        });
    controls_.FocusFirst();
    Form_Activate();
    Form_Load();
}

void CipherWindow::overrideApplicationFolder(const QString& folder) {
    applicationFolderOverride_ = folder;
}

void CipherWindow::setProgramEnder(std::function<void()> endProgram) {
    endProgram_ = std::move(endProgram);
}

void CipherWindow::ConnectHandlers() {
    const std::pair<ControlId, void (CipherWindow::*)()> handlers[] = {
        {Command1, &CipherWindow::Command1_Click}, {Command2, &CipherWindow::Command2_Click},
        {Command3, &CipherWindow::Command3_Click}, {Command4, &CipherWindow::Command4_Click},
        {Command5, &CipherWindow::Command5_Click}, {Command6, &CipherWindow::Command6_Click},
        {Check1, &CipherWindow::Check1_Click}};
    for (const auto& [id, handler] : handlers) {
        connect(Control<QAbstractButton>(id), &QAbstractButton::clicked, this, handler);
    }
}

// ---- Password section ----

void CipherWindow::Check1_Click() {
    SetPasswordBoxesMasked(!Control<QCheckBox>(Check1)->isChecked());
}

void CipherWindow::Command3_Click() {
    const QString typed = Control<QLineEdit>(Text3)->text();
    if (typed.isEmpty()) return;
    password_ = typed;
    if (auto refusal = PasswordRefusal(password_, Control<QLineEdit>(Text4)->text())) {
        dialogs_.ShowInformation(this, QString::fromUtf8(kNoticeTitle), *refusal);
        return;
    }
    const bool confirmedFromKeyboardFocus = Control(Command3)->hasFocus();
    SetPasswordConfirmed(true);
    // The focus leaves the disabled button; the next step is the run, so it goes there.
    if (confirmedFromKeyboardFocus) Control(Command4)->setFocus(Qt::TabFocusReason);
}

void CipherWindow::Command6_Click() {
    const bool changedFromKeyboardFocus = Control(Command6)->hasFocus();
    SetPasswordConfirmed(false);
    // The focus leaves the disabled button for the box the user now edits.
    if (changedFromKeyboardFocus) Control(Text3)->setFocus(Qt::TabFocusReason);
}

// Confirmed: the boxes are locked and the run can start; otherwise the other way round.
void CipherWindow::SetPasswordConfirmed(bool confirmed) {
    Control(Command6)->setEnabled(confirmed);
    Control(Command3)->setEnabled(!confirmed);
    Control(Command4)->setEnabled(confirmed);
    for (ControlId id : {Text3, Text4}) {
        Control<QLineEdit>(id)->setReadOnly(confirmed);
        // Qt turns the input method back on with every change of the box; keep it off.
        Control(id)->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
}

void CipherWindow::SetPasswordBoxesMasked(bool masked) {
    for (ControlId id : {Text3, Text4}) {
        Control<QLineEdit>(id)->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
        Control(id)->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
}

// ---- File selection and help ----

void CipherWindow::Command1_Click() {
    if (profile_.openFilter) CommonDialog1.Filter = *profile_.openFilter;
    CommonDialog1.ShowOpen();
    Control<QLineEdit>(Text1)->setText(CommonDialog1.FileName);
}

void CipherWindow::Command2_Click() {
    if (profile_.saveFilter) CommonDialog1.Filter = *profile_.saveFilter;
    CommonDialog1.ShowSave();
    Control<QLineEdit>(Text2)->setText(CommonDialog1.FileName);
}

// Like a key press from the keyboard: posted, not handled before this handler returns.
void CipherWindow::Command5_Click() {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (!target) target = this;
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier));
}

void CipherWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        help_.ShowHelp(helpFilePath_, this);
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- The run ----

void CipherWindow::Command4_Click() {
    if (running_) return;
    RunRequest request;
    request.direction = profile_.direction;
    request.source = ToFilesystemPath(Control<QLineEdit>(Text1)->text());
    request.target = ToFilesystemPath(Control<QLineEdit>(Text2)->text());
    request.password = password_.toStdString();
    request.keyFile = ToFilesystemPath(keyFilePath_);
    running_ = true;
    CipherRun(request, progress_);
    running_ = false;
    if (userClosed_) endProgram_();
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
    progress_.StopRun();
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
