#pragma once

#include "dui/horizontal_layout.h"
#include "dui/list_item_base.h"

namespace calvorn::dui {

// A list row that holds controls, laid out horizontally.
class ListContainerElement : public ListItemBase<HorizontalLayout> {
public:
    std::string_view GetClass() const override { return "ListContainerElement"; }
};

}  // namespace calvorn::dui
