#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>
#include <optional>

#include "CommonFileDialog.h"
#include "RunObserver.h"
#include "WindowProfile.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace korvel {

class BannerBox;
class HelpOpener;
class WindowDialogs;

// The encrypt or decrypt window, depending on its profile: collects the two paths and the
// password, starts runs and follows them as their observer.
class CipherWindow : public QWidget, public RunObserver {
    Q_OBJECT
public:
    CipherWindow(const WindowProfile& profile, WindowDialogs& dialogs, HelpOpener& help,
                 QWidget* parent = nullptr);

    QString keyFilePath() const { return keyFilePath_; }
    QString helpFilePath() const { return helpFilePath_; }
    const QString& password() const { return password_; }
    Direction direction() const { return profile_.direction; }

    // Test hooks: the folder used instead of the program's own (from the next activation on), how
    // the program is ended, and the least time between two rounds of event handling during a run.
    void overrideApplicationFolder(const QString& folder);
    void setProgramEnder(std::function<void()> endProgram);
    void setMinimumPumpInterval(std::chrono::milliseconds interval);

    // RunObserver
    void ShowNotice(const std::string& text, NoticeKind kind) override;
    void EnterProgressMode() override;
    void ShowPercent(int percent) override;
    CancelAnswer AskCancel(const std::string& title, const std::string& text) override;
    bool PumpEvents() override;
    void LeaveProgressMode(LeaveHalf half, LeaveReason reason) override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateControl(ControlId id);
    void DescribeForAssistiveTools();
    void ArrangeTabOrder();
    void FocusFirstControl();
    QWidget* Control(ControlId id) const;

    void Check1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Form_Load();
    void Form_Activate();
    void OnUserClose(QCloseEvent* event);
    void OpenHelp();
    bool PumpIsDue();
    void SetPasswordBoxesLocked(bool locked);
    void SetPasswordBoxesMasked(bool masked);
    void SetRunControlsEnabled(bool enabled);

    WindowProfile profile_;
    WindowDialogs& dialogs_;
    HelpOpener& help_;

    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* Check1 = nullptr;
    BannerBox* Picture1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    CommonFileDialog CommonDialog1;

    QString password_;
    QString keyFilePath_;
    QString helpFilePath_;
    std::optional<QString> applicationFolderOverride_;

    bool running_ = false;
    bool userClosed_ = false;
    std::function<void()> endProgram_;
    QElapsedTimer lastPump_;
    std::chrono::milliseconds pumpInterval_{10};
    static constexpr int kUpdatesPerClockRead = 16;
    int updatesSinceClockRead_ = 0;
};

}  // namespace korvel
