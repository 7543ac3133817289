#pragma once

#include "dui/edit.h"

namespace calvorn::dui {

// A multi-line edit: Enter inserts a line break, unless wantreturn="false", when it sends
// "return" like a single-line edit.
class RichEdit : public Edit {
public:
    RichEdit();
    std::string_view GetClass() const override { return "RichEdit"; }
};

}  // namespace calvorn::dui
