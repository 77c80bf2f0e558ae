#include "CipherWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "AgeFileName.h"
#include "BannerBox.h"
#include "DecryptionDoubt.h"
#include "FileSetTexts.h"
#include "FolderPaths.h"
#include "HelpOpener.h"
#include "NativePath.h"
#include "PasswordCheck.h"
#include "SourceDropTarget.h"
#include "WindowCentring.h"
#include "WindowDialogs.h"
#include "WindowTexts.h"
#include "run/AgeKeys.h"
#include "run/HeadDecryption.h"

namespace korvel {

using enum ControlId;

namespace {

const QString kWindowIcon = QStringLiteral(":/pictures/icon_cipher.png");

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
      progress_(controls_, dialogs, *this, [this] { run_.RequestCancel(); }),
      run_(progress_, this),
      fileDialog_(dialogs, this),
      endProgram_([] { QCoreApplication::exit(0); }) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(profile_.formName);
    setWindowTitle(profile_.caption);
    if (QFile::exists(kWindowIcon)) setWindowIcon(QIcon(kWindowIcon));
    setFixedSize(kWindowClientWidth, kWindowClientHeight);
    if (QFile::exists(profile_.bannerResource)) {
        Control<BannerBox>(BannerPicture)->setPicture(QPixmap(profile_.bannerResource));
    }
    ConnectHandlers();
    if (profile_.direction == Direction::Encrypt) {
        Control(TargetBox)->setToolTip(QString::fromUtf8(kTargetFormatTip));
    }
    // A dropped file becomes the source just as a file chosen in the Open dialog does.
    new SourceDropTarget(
        *this, *Control(TargetBox), dialogs_, [this] { return run_.Working(); },
        [this](const QString& file) { UseDroppedSource(file); },
        [this](const QStringList& paths) { TakeFileSet(paths); });
    controls_.FocusFirst();
    LocateProgramFiles();
    CentreOnScreen(*this);
}

void CipherWindow::overrideApplicationFolder(const QString& folder) {
    applicationFolderOverride_ = folder;
}

void CipherWindow::setProgramEnder(std::function<void()> endProgram) {
    endProgram_ = std::move(endProgram);
}

void CipherWindow::setBeforeTargetWrite(std::function<void()> hook) {
    beforeTargetWrite_ = std::move(hook);
}

void CipherWindow::setRunStartWatcher(std::function<void(const RunRequest&)> watcher) {
    runStartWatcher_ = std::move(watcher);
}

void CipherWindow::ConnectHandlers() {
    const std::pair<ControlId, void (CipherWindow::*)()> handlers[] = {
        {ChooseSourceButton, &CipherWindow::ChooseSourceClicked},
        {ChooseTargetButton, &CipherWindow::ChooseTargetClicked},
        {ConfirmPasswordButton, &CipherWindow::ConfirmPasswordClicked},
        {RunButton, &CipherWindow::RunClicked},
        {HelpButton, &CipherWindow::HelpClicked},
        {ChangePasswordButton, &CipherWindow::ChangePasswordClicked},
        {ShowPasswordCheck, &CipherWindow::ShowPasswordClicked}};
    for (const auto& [id, handler] : handlers) {
        connect(Control<QAbstractButton>(id), &QAbstractButton::clicked, this, handler);
    }
}

// ---- Password section ----

void CipherWindow::ShowPasswordClicked() {
    SetPasswordBoxesMasked(!Control<QCheckBox>(ShowPasswordCheck)->isChecked());
}

void CipherWindow::ConfirmPasswordClicked() {
    const QString typed = Control<QLineEdit>(PasswordEntry)->text();
    if (typed.isEmpty()) return;
    password_ = typed;
    if (auto refusal = PasswordRefusal(password_, Control<QLineEdit>(PasswordRepeat)->text())) {
        dialogs_.ShowInformation(this, QString::fromUtf8(kNoticeTitle), *refusal);
        return;
    }
    const bool confirmedFromKeyboardFocus = Control(ConfirmPasswordButton)->hasFocus();
    SetPasswordConfirmed(true);
    // The focus leaves the disabled button; the next step is the run, so it goes there.
    if (confirmedFromKeyboardFocus) Control(RunButton)->setFocus(Qt::TabFocusReason);
}

void CipherWindow::ChangePasswordClicked() {
    const bool changedFromKeyboardFocus = Control(ChangePasswordButton)->hasFocus();
    SetPasswordConfirmed(false);
    // The focus leaves the disabled button for the box the user now edits.
    if (changedFromKeyboardFocus) Control(PasswordEntry)->setFocus(Qt::TabFocusReason);
}

// Confirmed: the boxes are locked and the run can start; otherwise the other way round.
void CipherWindow::SetPasswordConfirmed(bool confirmed) {
    passwordConfirmed_ = confirmed;
    Control(ChangePasswordButton)->setEnabled(confirmed);
    Control(ConfirmPasswordButton)->setEnabled(!confirmed);
    Control(RunButton)->setEnabled(confirmed);
    for (ControlId id : {PasswordEntry, PasswordRepeat}) {
        Control<QLineEdit>(id)->setReadOnly(confirmed);
        // Qt turns the input method back on with every change of the box; keep it off.
        Control(id)->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    RenewAgeKeys();
}

// Made afresh for each confirmation and each change of the key file. Nothing is derived here:
// scrypt runs on the thread of the first run that needs the keys, never on the window's.
void CipherWindow::RenewAgeKeys() {
    ageKeys_.reset();
    if (!passwordConfirmed_) return;
    ageKeys_ = std::make_shared<AgeKeys>(password_.toStdString(), ToFilesystemPath(keyFilePath_));
}

void CipherWindow::SetPasswordBoxesMasked(bool masked) {
    for (ControlId id : {PasswordEntry, PasswordRepeat}) {
        Control<QLineEdit>(id)->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
        Control(id)->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
}

// ---- File selection and help ----

void CipherWindow::ChooseSourceClicked() {
    if (profile_.openFilter) fileDialog_.Filter = *profile_.openFilter;
    const QStringList chosen = fileDialog_.ShowOpen();
    if (chosen.size() > 1) return TakeFileSet(chosen);
    Control<QLineEdit>(SourceBox)->setText(fileDialog_.FileName);
}

void CipherWindow::ChooseTargetClicked() {
    if (profile_.saveFilter) fileDialog_.Filter = *profile_.saveFilter;
    // Decrypting "x.age" suggests "x", the name it had before it was encrypted.
    if (profile_.direction == Direction::Decrypt) {
        fileDialog_.FileName = AgeFileName::Without(fileDialog_.FileName);
    }
    fileDialog_.ShowSave();
    Control<QLineEdit>(TargetBox)->setText(fileDialog_.FileName);
}

// A dropped file becomes the source just as a file chosen in the Open dialog does.
void CipherWindow::UseDroppedSource(const QString& file) {
    fileDialog_.FileName = file;
    Control<QLineEdit>(SourceBox)->setText(file);
}

// Several files or folders go to the window of a set, which keeps its own list, target folder
// and password; a password confirmed here is filled in there.
void CipherWindow::TakeFileSet(const QStringList& nativePaths) {
    if (fileSet_ && fileSet_->Working()) {
        dialogs_.ShowInformation(this, QString::fromUtf8(kNoticeTitle),
                                 QString::fromUtf8(kSetBusy));
        return;
    }
    if (!fileSet_) {
        fileSet_ = new FileSetWindow(
            profile_.direction, dialogs_, [this] { return keyFilePath_; }, this);
        fileSet_->setAttribute(Qt::WA_DeleteOnClose);
    }
    fileSet_->SetSources(nativePaths);
    if (Control(RunButton)->isEnabled()) fileSet_->SetPassword(password_);
    fileSet_->show();
    fileSet_->raise();
    fileSet_->activateWindow();
}

// Like a key press from the keyboard: posted, not handled before this handler returns.
void CipherWindow::HelpClicked() {
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

// The run works on its own thread; the window stays as the run's notifications leave it, and a
// click on the run button during a quiet run, whose controls stay enabled, starts nothing.
void CipherWindow::RunClicked() {
    if (run_.Working()) return;
    RunRequest request;
    request.direction = profile_.direction;
    request.source = ToFilesystemPath(Control<QLineEdit>(SourceBox)->text());
    request.target = ToFilesystemPath(Control<QLineEdit>(TargetBox)->text());
    request.password = password_.toStdString();
    request.keyFile = ToFilesystemPath(keyFilePath_);
    request.ageKeys = ageKeys_;
    if (request.direction == Direction::Encrypt &&
        AgeFileName::Has(Control<QLineEdit>(TargetBox)->text())) {
        request.format = CipherFormat::Age;
    }
    if (request.direction == Direction::Decrypt && !ResultLooksRightOrUserInsists(request)) return;
    if (runStartWatcher_) runStartWatcher_(request);
    run_.Start(
        std::move(request), [this](const RunResult&) { emit runEnded(); }, beforeTargetWrite_);
}

// A wrong password or key file decrypts without an error into bytes of the right length; the
// decrypted head tells, before anything is written. A request the run refuses is left to the run,
// so that its messages come first, as always. The key file is opened once, here, for the head and
// the run both.
bool CipherWindow::ResultLooksRightOrUserInsists(RunRequest& request) {
    if (RunRefusal(request)) return true;
    HeadDecryption::OpenKeyFor(request);
    if (!DecryptionDoubt::LooksWrong(request)) return true;
    const QString text =
        QString::fromUtf8(kDoubtfulResult).arg(DecryptionDoubt::FingerprintText(request));
    switch (dialogs_.AskAboutDoubtfulResult(this, QString::fromUtf8(kNoticeTitle), text)) {
        case DoubtAnswer::DecryptAnyway:
            return true;
        case DoubtAnswer::TypePasswordAgain:
            SetPasswordConfirmed(false);
            Control(PasswordEntry)->setFocus(Qt::OtherFocusReason);
            return false;
        case DoubtAnswer::Cancel:
            return false;
    }
    return false;
}

QString CipherWindow::KeyFingerprintText() const {
    return DecryptionDoubt::FingerprintText(ToFilesystemPath(keyFilePath_));
}

// The fingerprint is worked out again only when the key file changed since the last activation.
void CipherWindow::ShowKeyFingerprint() {
    const QFileInfo key(keyFilePath_);
    const QString stamp = keyFilePath_ + QString::number(key.size()) +
                          QString::number(key.lastModified().toMSecsSinceEpoch());
    if (stamp == keyFileStamp_) return;
    keyFileStamp_ = stamp;
    RenewAgeKeys();
    const QString tip = QString::fromUtf8(kKeyFingerprintTip).arg(KeyFingerprintText());
    for (ControlId id : {PasswordEntry, PasswordRepeat}) Control(id)->setToolTip(tip);
}

// ---- Window events ----

void CipherWindow::LocateProgramFiles() {
    const QString folder =
        applicationFolderOverride_.value_or(QCoreApplication::applicationDirPath());
    keyFilePath_ = PathInFolder(folder, QStringLiteral("uae"));
    helpFilePath_ = PathInFolder(folder, QStringLiteral("help.chm"));
    ShowKeyFingerprint();
}

bool CipherWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) LocateProgramFiles();
    return QWidget::event(event);
}

// A close by the user ends the whole program; a close for any other reason is left alone. A run
// that still works stops between blocks and the window hears nothing more of it; the window,
// deleted once closed, waits a little for it to end, so its temporary target is gone before the
// program is.
void CipherWindow::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) {
        run_.RequestStop();
        event->accept();
        endProgram_();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace korvel
