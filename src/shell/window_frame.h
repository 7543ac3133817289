#pragma once

// What the shell asks of a native top-level window beyond what the UI layer needs: showing,
// hiding, minimising, restoring, keeping on top and centring. The Qt host implements it; tests
// use a recording fake.

namespace calvorn::shell {

class IWindowFrame {
public:
    virtual ~IWindowFrame() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsMinimized() const = 0;
    virtual void Minimize() = 0;
    // Brings a minimised window back and activates it.
    virtual void Restore() = 0;
    virtual void SetTopmost(bool topmost) = 0;
    virtual void CenterOnScreen() = 0;
    // Ends the program's event loop after the window is gone.
    virtual void Close() = 0;
};

}  // namespace calvorn::shell
