#include "dui/horizontal_layout.h"

#include <algorithm>

namespace calvorn::dui {

Size HorizontalLayout::LayoutChildren(const Rect& inner) {
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
        if (wanted.cx == 0) {
            ++stretch_count;
        } else {
            fixed_total +=
                std::clamp(wanted.cx, Scale(child.GetMinWidth()),
                           std::max(Scale(child.GetMinWidth()), Scale(child.GetMaxWidth())));
        }
        fixed_total += padding.left + padding.right;
    }
    if (visible_count > 1) {
        fixed_total += gap * (visible_count - 1);
    }
    const int spare = std::max(0, available.cx - fixed_total);
    const int expand = stretch_count > 0 ? spare / stretch_count : 0;
    const int remainder = stretch_count > 0 ? spare - expand * stretch_count : 0;

    const Size scroll = GetScrollPos();
    int x = inner.left - scroll.cx;
    int stretch_seen = 0;
    int content_width = 0;
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
        int cx = wanted.cx;
        if (cx == 0) {
            cx = expand + (++stretch_seen == stretch_count ? remainder : 0);
        }
        cx = std::clamp(cx, Scale(child.GetMinWidth()),
                        std::max(Scale(child.GetMinWidth()), Scale(child.GetMaxWidth())));
        int cy = wanted.cy > 0 ? wanted.cy : available.cy - padding.top - padding.bottom;
        cy = std::clamp(cy, Scale(child.GetMinHeight()),
                        std::max(Scale(child.GetMinHeight()), Scale(child.GetMaxHeight())));
        cy = std::max(cy, 0);
        const int left = x + padding.left;
        const int top = inner.top - scroll.cy + padding.top;
        child.SetPos({left, top, left + cx, top + cy});
        x = left + cx + padding.right + gap;
        content_width = x - gap - (inner.left - scroll.cx);
    }
    return {content_width, available.cy};
}

}  // namespace calvorn::dui
