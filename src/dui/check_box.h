#pragma once

#include "dui/option.h"

namespace calvorn::dui {

// An option without a group: a click toggles it.
class CheckBox : public Option {
public:
    std::string_view GetClass() const override { return "CheckBox"; }
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool notify = true) { Selected(check, notify); }
};

}  // namespace calvorn::dui
