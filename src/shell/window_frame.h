#pragma once

// What the shell asks of a native top-level window beyond what the UI layer needs: showing,
// hiding, minimising, restoring, keeping on top, centring and the geometry of the screen it
// is on. The Qt host implements it; tests use a recording fake.

#include "dui/geometry.h"

namespace calvorn::shell {

class IWindowFrame {
public:
    virtual ~IWindowFrame() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsMinimized() const = 0;
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    // Shows the window at its normal size (also when it was hidden, minimised or maximised)
    // and activates it.
    virtual void Restore() = 0;
    virtual void SetTopmost(bool topmost) = 0;
    virtual void CenterOnScreen() = 0;
    // The whole monitor that holds the window (the nearest one), in pixels.
    virtual dui::Rect MonitorGeometry() const = 0;
    // The part of that monitor that panels and docks leave free.
    virtual dui::Rect AvailableGeometry() const = 0;
    // Ends the program's event loop after the window is gone.
    virtual void Close() = 0;
};

}  // namespace calvorn::shell
