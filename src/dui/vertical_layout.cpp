#include "dui/vertical_layout.h"

#include <algorithm>

namespace calvorn::dui {

Size VerticalLayout::LayoutChildren(const Rect& inner) {
    const Size available{inner.Width(), inner.Height()};
    const int gap = Scale(GetChildPadding());
    int fixed_total = 0;
    int stretch_count = 0;
    int visible_count = 0;
    for (const auto& item : items_) {
        const Control& child = *item;
        if (!child.IsVisible() || child.IsFloat()) {
            continue;
        }
        ++visible_count;
        const Rect padding = Scale(child.GetPadding());
        const Size wanted = child.EstimateSize(available);
        if (wanted.cy == 0) {
            ++stretch_count;
        } else {
            fixed_total +=
                std::clamp(wanted.cy, Scale(child.GetMinHeight()),
                           std::max(Scale(child.GetMinHeight()), Scale(child.GetMaxHeight())));
        }
        fixed_total += padding.top + padding.bottom;
    }
    if (visible_count > 1) {
        fixed_total += gap * (visible_count - 1);
    }
    const int spare = std::max(0, available.cy - fixed_total);
    const int expand = stretch_count > 0 ? spare / stretch_count : 0;
    const int remainder = stretch_count > 0 ? spare - expand * stretch_count : 0;

    const Size scroll = GetScrollPos();
    int y = inner.top - scroll.cy;
    int stretch_seen = 0;
    int content_height = 0;
    for (const auto& item : items_) {
        Control& child = *item;
        if (child.IsFloat()) {
            SetFloatPos(child);
            continue;
        }
        if (!child.IsVisible()) {
            continue;
        }
        const Rect padding = Scale(child.GetPadding());
        const Size wanted = child.EstimateSize(available);
        int cy = wanted.cy;
        if (cy == 0) {
            cy = expand + (++stretch_seen == stretch_count ? remainder : 0);
        }
        cy = std::clamp(cy, Scale(child.GetMinHeight()),
                        std::max(Scale(child.GetMinHeight()), Scale(child.GetMaxHeight())));
        int cx = wanted.cx > 0 ? wanted.cx : available.cx - padding.left - padding.right;
        cx = std::clamp(cx, Scale(child.GetMinWidth()),
                        std::max(Scale(child.GetMinWidth()), Scale(child.GetMaxWidth())));
        cx = std::max(cx, 0);
        const int left = inner.left - scroll.cx + padding.left;
        const int top = y + padding.top;
        child.SetPos({left, top, left + cx, top + cy});
        y = top + cy + padding.bottom + gap;
        content_height = y - gap - (inner.top - scroll.cy);
    }
    return {available.cx, content_height};
}

}  // namespace calvorn::dui
