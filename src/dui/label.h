#pragma once

#include "dui/control.h"

namespace calvorn::dui {

// A text on one line (or wrapped with "wordbreak"). Hidden labels double as text lookups: set
// a language key as text and read GetText() back.
class Label : public Control {
public:
    std::string_view GetClass() const override { return "Label"; }
};

}  // namespace calvorn::dui
