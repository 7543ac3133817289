#pragma once

#include "dui/container.h"

namespace calvorn::dui {

// Children in a grid of equal cells, row by row: "columns" cells per row, or as many
// "itemsize" cells as fit. A cell's height is the row's largest fixed child height, the
// "itemsize" height, or its width.
class TileLayout : public Container {
public:
    std::string_view GetClass() const override { return "TileLayout"; }

    int GetColumns() const { return columns_; }
    void SetColumns(int columns);
    Size GetItemSize() const { return item_size_; }
    void SetItemSize(Size size);
    void SetAttribute(std::string_view name, std::string_view value) override;

protected:
    Size LayoutChildren(const Rect& inner) override;

private:
    int columns_ = 1;
    Size item_size_;
};

}  // namespace calvorn::dui
