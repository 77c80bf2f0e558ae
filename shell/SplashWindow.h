#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace korvel {

class InstanceLock;
class WindowNavigator;

// The splash window: a frameless picture that gives way to the main window on a click or
// after its timer's 4000 ms, whichever comes first.
class SplashWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSplashMilliseconds = 4000;

    SplashWindow(InstanceLock& instanceLock, WindowNavigator& navigator);

    // Returns false when another instance runs: the caller then ends the program and the
    // splash is never shown. Otherwise centres the splash and starts its timer.
    bool Load();

    QTimer& SplashTimer() { return splashTimer_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void HandOverToMainWindow();

    InstanceLock& instanceLock_;
    WindowNavigator& navigator_;
    QTimer splashTimer_;
    QPixmap picture_;
    bool handedOver_ = false;
};

}  // namespace korvel
