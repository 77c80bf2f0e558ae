#pragma once

#include <QWidget>

class QPushButton;

namespace korvel {

class WindowNavigator;

// The main window: "加密" opens the encrypt window, "解密" the decrypt window; either way the
// main window then unloads itself. Closing it by the user ends the program.
class StartWindow : public QWidget {
    Q_OBJECT

public:
    explicit StartWindow(WindowNavigator& navigator);

    // Centres the window; called before it is first shown.
    void Load();
    // The program's own unload, as opposed to the user closing the window.
    void Unload();

    QPushButton* EncryptButton() const { return encryptButton_; }
    QPushButton* DecryptButton() const { return decryptButton_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* CreateButton(const QString& name, const QString& caption, const QRect& geometry);
    void EncryptClicked();
    void DecryptClicked();

    WindowNavigator& navigator_;
    QPushButton* decryptButton_;
    QPushButton* encryptButton_;
    bool unloadingByProgram_ = false;
};

}  // namespace korvel
