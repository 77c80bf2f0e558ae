#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "CommonFileDialog.h"
#include "ProgressPanel.h"
#include "WindowControls.h"
#include "WindowProfile.h"

namespace korvel {

class HelpOpener;
class WindowDialogs;

// The encrypt or decrypt window, depending on its profile: collects the two paths and the
// password, opens the help and starts runs, which its progress panel follows.
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

    // Test hooks: the folder used instead of the program's own (from the next activation on) and
    // how the program is ended.
    void overrideApplicationFolder(const QString& folder);
    void setProgramEnder(std::function<void()> endProgram);

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

    void Check1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Form_Load();
    void Form_Activate();
    void OnUserClose(QCloseEvent* event);
    void SetPasswordConfirmed(bool confirmed);
    void SetPasswordBoxesMasked(bool masked);

    WindowProfile profile_;
    WindowDialogs& dialogs_;
    HelpOpener& help_;
    WindowControls controls_;
    ProgressPanel progress_;
    CommonFileDialog CommonDialog1;

    QString password_;
    QString keyFilePath_;
    QString helpFilePath_;
    std::optional<QString> applicationFolderOverride_;

    bool running_ = false;
    bool userClosed_ = false;
    std::function<void()> endProgram_;
};

}  // namespace korvel
