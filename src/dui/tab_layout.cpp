#include "dui/tab_layout.h"

#include "dui/attributes.h"

namespace calvorn::dui {

bool TabLayout::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) {
        return false;
    }
    selected_ = index;
    for (int i = 0; i < GetCount(); ++i) {
        GetItemAt(i)->SetVisible(i == index);
    }
    NeedUpdate();
    Invalidate();
    return true;
}

Control* TabLayout::AddAt(std::unique_ptr<Control> child, int index) {
    const int old_count = GetCount();
    Control* added = Container::AddAt(std::move(child), index);
    if (added == nullptr) {
        return nullptr;
    }
    if (selected_ < 0) {
        selected_ = 0;
    } else if (selected_ < old_count && GetItemIndex(added) <= selected_) {
        // Inserted before the shown page: the selection stays on that page.
        ++selected_;
    }
    for (int i = 0; i < GetCount(); ++i) {
        GetItemAt(i)->SetVisible(i == selected_);
    }
    return added;
}

bool TabLayout::Remove(Control* child) {
    const int index = GetItemIndex(child);
    if (!Container::Remove(child)) {
        return false;
    }
    if (index < selected_) {
        --selected_;
    } else if (index == selected_) {
        selected_ = GetCount() > 0 ? 0 : -1;
    }
    if (selected_ >= 0) {
        SelectItem(selected_);
    }
    return true;
}

void TabLayout::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "selectedid") {
        const int index = ParseInt(value, 0);
        if (!SelectItem(index)) {
            selected_ = index;
        }
    } else {
        Container::SetAttribute(name, value);
    }
}

}  // namespace calvorn::dui
