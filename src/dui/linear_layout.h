#pragma once

#include "dui/container.h"

namespace calvorn::dui {

// Children placed one after another along one axis: fixed lengths as given, the rest of the
// length shared equally by the stretch children (the last one takes the remainder). Across
// the axis a child takes its fixed size or the full inner size less its padding. The base of
// HorizontalLayout and VerticalLayout, which differ only in the axis.
class LinearLayout : public Container {
public:
    enum class Axis { kHorizontal, kVertical };

protected:
    explicit LinearLayout(Axis axis) : axis_(axis) {}

    Size LayoutChildren(const Rect& inner) override;

private:
    Axis axis_;
};

}  // namespace calvorn::dui
