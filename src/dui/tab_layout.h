#pragma once

#include "dui/container.h"

namespace calvorn::dui {

// Pages over each other: every child gets the whole inner rectangle and only the selected
// one is visible.
class TabLayout : public Container {
public:
    std::string_view GetClass() const override { return "TabLayout"; }

    int GetCurSel() const { return selected_; }
    // Shows child `index` and hides the others. False when `index` is out of range.
    bool SelectItem(int index);
    bool SelectItem(const Control* child) { return SelectItem(GetItemIndex(child)); }

    Control* AddAt(std::unique_ptr<Control> child, int index) override;
    bool Remove(Control* child) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

private:
    int selected_ = -1;
};

}  // namespace calvorn::dui
