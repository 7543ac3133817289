#pragma once

#include "dui/list_element.h"

namespace calvorn::dui {

// A list or combo row that shows one text.
class ListLabelElement : public ListElement {
public:
    std::string_view GetClass() const override { return "ListLabelElement"; }
};

}  // namespace calvorn::dui
