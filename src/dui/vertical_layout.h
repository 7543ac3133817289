#pragma once

#include "dui/linear_layout.h"

namespace calvorn::dui {

// Children stacked top to bottom: fixed heights as given, the rest of the height shared
// equally by the stretch children (the last one takes the remainder). A child's width is its
// fixed width or the full inner width less its padding.
class VerticalLayout : public LinearLayout {
public:
    VerticalLayout() : LinearLayout(Axis::kVertical) {}

    std::string_view GetClass() const override { return "VerticalLayout"; }
};

}  // namespace calvorn::dui
