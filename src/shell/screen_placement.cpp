#include "shell/screen_placement.h"

#include <algorithm>

#include "dui/menu.h"

namespace calvorn::shell {

int DpiForMonitor(dui::Size monitor) {
    return monitor.cx > 1500 && monitor.cy > 960 ? 144 : 96;
}

MenuPlacement TrayMenuPlacement(dui::Point cursor, const dui::Rect& available) {
    MenuPlacement placement;
    if (available.Width() <= 0 || available.Height() <= 0) {
        placement.point = cursor;
        placement.align = dui::kMenuAlignLeft | dui::kMenuAlignTop;
        return placement;
    }
    placement.point.x = std::clamp(cursor.x, available.left, available.right - 1);
    placement.point.y = std::clamp(cursor.y, available.top, available.bottom - 1);
    const bool right_half = (placement.point.x - available.left) * 2 > available.Width();
    const bool lower_half = (placement.point.y - available.top) * 2 > available.Height();
    placement.align = (right_half ? dui::kMenuAlignRight : dui::kMenuAlignLeft) |
                      (lower_half ? dui::kMenuAlignBottom : dui::kMenuAlignTop);
    return placement;
}

}  // namespace calvorn::shell
