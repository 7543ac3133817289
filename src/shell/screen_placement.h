#pragma once

// Where the main window and its tray menu go on the screen.

#include "dui/geometry.h"

namespace calvorn::shell {

// The main window's base size before DPI scaling.
inline constexpr dui::Size kMainWindowBaseSize{1000, 640};

// The window's DPI on a monitor of that size: 144 when the monitor is wider than 1500 and
// taller than 960 pixels, else 96.
int DpiForMonitor(dui::Size monitor);

struct MenuPlacement {
    dui::Point point;
    unsigned align = 0;  // dui::MenuAlign bits
};

// The tray menu opens at the cursor and grows away from the nearer edges of the screen's
// available area (the part the panels leave free), so that it stays inside it wherever the
// panel with the tray is. A cursor outside the area is moved to its nearest point.
MenuPlacement TrayMenuPlacement(dui::Point cursor, const dui::Rect& available);

}  // namespace calvorn::shell
