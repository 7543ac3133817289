#include "dui/linear_layout.h"

#include <algorithm>

namespace calvorn::dui {

namespace {

// Reads sizes, rectangles and limits as (along the axis, across it), so one algorithm serves
// both directions.
struct AxisView {
    bool horizontal;

    int Along(Size s) const { return horizontal ? s.cx : s.cy; }
    int Across(Size s) const { return horizontal ? s.cy : s.cx; }
    int LeadAlong(const Rect& r) const { return horizontal ? r.left : r.top; }
    int TrailAlong(const Rect& r) const { return horizontal ? r.right : r.bottom; }
    int LeadAcross(const Rect& r) const { return horizontal ? r.top : r.left; }
    int TrailAcross(const Rect& r) const { return horizontal ? r.bottom : r.right; }
    int MinAlong(const Control& c) const {
        return c.Scale(horizontal ? c.GetMinWidth() : c.GetMinHeight());
    }
    int MaxAlong(const Control& c) const {
        return c.Scale(horizontal ? c.GetMaxWidth() : c.GetMaxHeight());
    }
    int MinAcross(const Control& c) const {
        return c.Scale(horizontal ? c.GetMinHeight() : c.GetMinWidth());
    }
    int MaxAcross(const Control& c) const {
        return c.Scale(horizontal ? c.GetMaxHeight() : c.GetMaxWidth());
    }
    // The length along the axis limited to the child's minimum and maximum; a maximum below
    // the minimum counts as the minimum.
    int ClampAlong(const Control& c, int length) const {
        return std::clamp(length, MinAlong(c), std::max(MinAlong(c), MaxAlong(c)));
    }
    int ClampAcross(const Control& c, int length) const {
        return std::clamp(length, MinAcross(c), std::max(MinAcross(c), MaxAcross(c)));
    }
    Size MakeSize(int along, int across) const {
        return horizontal ? Size{along, across} : Size{across, along};
    }
    Rect MakeRect(int lead_along, int lead_across, int along, int across) const {
        return horizontal ? Rect{lead_along, lead_across, lead_along + along, lead_across + across}
                          : Rect{lead_across, lead_along, lead_across + across, lead_along + along};
    }
};

}  // namespace

Size LinearLayout::LayoutChildren(const Rect& inner) {
    const AxisView axis{axis_ == Axis::kHorizontal};
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
        if (axis.Along(wanted) == 0) {
            ++stretch_count;
        } else {
            fixed_total += axis.ClampAlong(child, axis.Along(wanted));
        }
        fixed_total += axis.LeadAlong(padding) + axis.TrailAlong(padding);
    }
    if (visible_count > 1) {
        fixed_total += gap * (visible_count - 1);
    }
    const int spare = std::max(0, axis.Along(available) - fixed_total);
    const int expand = stretch_count > 0 ? spare / stretch_count : 0;
    const int remainder = stretch_count > 0 ? spare - expand * stretch_count : 0;

    const Size scroll = GetScrollPos();
    const int start = axis.LeadAlong(inner) - axis.Along(scroll);
    const int cross_start = axis.LeadAcross(inner) - axis.Across(scroll);
    int pos = start;
    int stretch_seen = 0;
    int content_length = 0;
    ForEachFlowChild([&](Control& child) {
        const Rect padding = Scale(child.GetPadding());
        const Size wanted = child.EstimateSize(available);
        int along = axis.Along(wanted);
        if (along == 0) {
            along = expand + (++stretch_seen == stretch_count ? remainder : 0);
        }
        along = axis.ClampAlong(child, along);
        int across = axis.Across(wanted) > 0 ? axis.Across(wanted)
                                             : axis.Across(available) - axis.LeadAcross(padding) -
                                                   axis.TrailAcross(padding);
        across = std::max(axis.ClampAcross(child, across), 0);
        const int lead = pos + axis.LeadAlong(padding);
        child.SetPos(axis.MakeRect(lead, cross_start + axis.LeadAcross(padding), along, across));
        pos = lead + along + axis.TrailAlong(padding) + gap;
        content_length = pos - gap - start;
    });
    return axis.MakeSize(content_length, axis.Across(available));
}

}  // namespace calvorn::dui
