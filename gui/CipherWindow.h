#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "BackgroundRun.h"
#include "CommonFileDialog.h"
#include "FileSetWindow.h"
#include "ProgressPanel.h"
#include "WindowControls.h"
#include "WindowProfile.h"

namespace korvel {

class AgeKeys;
class HelpOpener;
class WindowDialogs;

// The encrypt or decrypt window, depending on its profile: collects the two paths and the
// password, opens the help and starts runs, which work on a thread of their own while its
// progress panel follows them.
class CipherWindow : public QWidget {
    Q_OBJECT
public:
    CipherWindow(const WindowProfile& profile, WindowDialogs& dialogs, HelpOpener& help,
                 QWidget* parent = nullptr);

    QString keyFilePath() const { return keyFilePath_; }
    QString helpFilePath() const { return helpFilePath_; }
    const QString& password() const { return password_; }
    Direction direction() const { return profile_.direction; }
    ProgressPanel& progress() { return progress_; }
    // The window of several files and folders, once some were handed over; nothing before.
    FileSetWindow* fileSet() const { return fileSet_; }
    bool runWorking() const { return run_.Working(); }

    // Test hooks: the folder used instead of the program's own (from the next activation on), how
    // the program is ended, and what the run does before each write to its target.
    void overrideApplicationFolder(const QString& folder);
    void setProgramEnder(std::function<void()> endProgram);
    void setBeforeTargetWrite(std::function<void()> hook);
    // Test hook: sees each request the window hands to its run, just before the run starts.
    void setRunStartWatcher(std::function<void(const RunRequest&)> watcher);

signals:
    // A run has ended, on the window's thread, after its last notification.
    void runEnded();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    template <typename T = QWidget>
    T* Control(ControlId id) const {
        return controls_.Get<T>(id);
    }
    void ConnectHandlers();

    void ShowPasswordClicked();
    void ChooseSourceClicked();
    void ChooseTargetClicked();
    void ConfirmPasswordClicked();
    void RunClicked();
    void HelpClicked();
    void ChangePasswordClicked();
    void LocateProgramFiles();
    void UseDroppedSource(const QString& file);
    void TakeFileSet(const QStringList& nativePaths);
    void SetPasswordConfirmed(bool confirmed);
    void SetPasswordBoxesMasked(bool masked);
    void RenewAgeKeys();
    bool ResultLooksRightOrUserInsists(RunRequest& request);
    QString KeyFingerprintText() const;
    void ShowKeyFingerprint();

    WindowProfile profile_;
    WindowDialogs& dialogs_;
    HelpOpener& help_;
    WindowControls controls_;
    ProgressPanel progress_;
    BackgroundRun run_;
    CommonFileDialog fileDialog_;
    QPointer<FileSetWindow> fileSet_;

    QString password_;
    bool passwordConfirmed_ = false;
    QString keyFilePath_;
    QString helpFilePath_;
    QString keyFileStamp_;  // the key file whose fingerprint the password boxes show
    std::optional<QString> applicationFolderOverride_;
    // The age keys of the confirmed password and key file, shared by the window's runs, so that
    // they are derived once, by the first run that needs them; none while nothing is confirmed.
    std::shared_ptr<AgeKeys> ageKeys_;
    std::function<void()> beforeTargetWrite_;
    std::function<void(const RunRequest&)> runStartWatcher_;
    std::function<void()> endProgram_;
};

}  // namespace korvel
