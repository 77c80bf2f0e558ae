#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace korvel {

class InstanceLock;
class WindowNavigator;

// The splash window: a frameless picture that gives way to the main window on a click or
// after Timer1's 4000 ms, whichever comes first.
class Form2 : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTimer1IntervalMs = 4000;

    Form2(InstanceLock& instanceLock, WindowNavigator& navigator);

    // Returns false when another instance runs: the caller then ends the program and the
    // splash is never shown. Otherwise centres the splash and starts Timer1.
    bool Load();

    QTimer& Timer1() { return timer1_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void HandOverToMainWindow();

    InstanceLock& instanceLock_;
    WindowNavigator& navigator_;
    QTimer timer1_;
    QPixmap picture_;
    bool handedOver_ = false;
};

}  // namespace korvel
