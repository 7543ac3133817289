#pragma once

#include "dui/label.h"

namespace calvorn::dui {

// A label that wraps its text over several lines.
class Text : public Label {
public:
    Text();
    std::string_view GetClass() const override { return "Text"; }
};

}  // namespace calvorn::dui
