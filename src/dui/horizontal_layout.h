#pragma once

#include "dui/container.h"

namespace calvorn::dui {

// Children placed left to right: fixed widths as given, the rest of the width shared equally
// by the stretch children (the last one takes the remainder). A child's height is its fixed
// height or the full inner height less its padding.
class HorizontalLayout : public Container {
public:
    std::string_view GetClass() const override { return "HorizontalLayout"; }

protected:
    Size LayoutChildren(const Rect& inner) override;
};

}  // namespace calvorn::dui
