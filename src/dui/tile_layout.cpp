#include "dui/tile_layout.h"

#include <algorithm>

#include "dui/attributes.h"

namespace calvorn::dui {

void TileLayout::SetColumns(int columns) {
    columns_ = std::max(1, columns);
    NeedUpdate();
}

void TileLayout::SetItemSize(Size size) {
    item_size_ = size;
    NeedUpdate();
}

void TileLayout::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "columns") {
        SetColumns(ParseInt(value, 1));
    } else if (name == "itemsize") {
        SetItemSize(ParseSize(value));
    } else {
        Container::SetAttribute(name, value);
    }
}

Size TileLayout::LayoutChildren(const Rect& inner) {
    const int gap = Scale(GetChildPadding());
    int columns = columns_;
    int cell_width = 0;
    if (item_size_.cx > 0) {
        cell_width = Scale(item_size_.cx);
        columns = std::max(1, (inner.Width() + gap) / std::max(1, cell_width + gap));
    } else {
        cell_width = std::max(0, (inner.Width() - gap * (columns - 1)) / columns);
    }
    const Size scroll = GetScrollPos();
    std::vector<Control*> row;
    int y = inner.top - scroll.cy;
    auto flush_row = [&] {
        if (row.empty()) {
            return;
        }
        int height = Scale(item_size_.cy);
        if (height <= 0) {
            for (Control* child : row) {
                const Rect padding = Scale(child->GetPadding());
                height = std::max(
                    height, child->EstimateSize({cell_width, 0}).cy + padding.top + padding.bottom);
            }
        }
        if (height <= 0) {
            height = cell_width;
        }
        int x = inner.left - scroll.cx;
        for (Control* child : row) {
            const Rect cell{x, y, x + cell_width, y + height};
            child->SetPos(cell.Deflate(Scale(child->GetPadding())));
            x += cell_width + gap;
        }
        y += height + gap;
        row.clear();
    };
    ForEachFlowChild([&](Control& child) {
        row.push_back(&child);
        if (static_cast<int>(row.size()) == columns) {
            flush_row();
        }
    });
    flush_row();
    const int content_height = std::max(0, y - gap - (inner.top - scroll.cy));
    return {inner.Width(), content_height};
}

}  // namespace calvorn::dui
