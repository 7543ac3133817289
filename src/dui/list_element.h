#pragma once

#include "dui/control.h"
#include "dui/list_item_base.h"

namespace calvorn::dui {

// A list row without children; the base of the label and text rows.
class ListElement : public ListItemBase<Control> {
public:
    std::string_view GetClass() const override { return "ListElement"; }

    void PaintStatusImage(IRenderEngine&) override {}
    void PaintText(IRenderEngine& engine) override;
};

}  // namespace calvorn::dui
