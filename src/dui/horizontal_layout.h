#pragma once

#include "dui/linear_layout.h"

namespace calvorn::dui {

// Children placed left to right: fixed widths as given, the rest of the width shared equally
// by the stretch children (the last one takes the remainder). A child's height is its fixed
// height or the full inner height less its padding.
class HorizontalLayout : public LinearLayout {
public:
    HorizontalLayout() : LinearLayout(Axis::kHorizontal) {}

    std::string_view GetClass() const override { return "HorizontalLayout"; }
};

}  // namespace calvorn::dui
