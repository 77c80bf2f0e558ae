#pragma once

namespace korvel {

// The hand-overs between the program's windows. Every "show" creates the window, lets it
// place itself and shows it modeless, without an owner.
class WindowNavigator {
public:
    virtual ~WindowNavigator() = default;
    virtual void ShowMainWindow() = 0;
    virtual void ShowEncryptWindow() = 0;
    virtual void ShowDecryptWindow() = 0;
    // Stops the event loop; the remaining windows go away without any close handler running.
    virtual void EndProgramAtOnce() = 0;
};

}  // namespace korvel
