#include "dui/list.h"

namespace calvorn::dui {

namespace {

IListItem* AsItem(Control* control) {
    return dynamic_cast<IListItem*>(control);
}

}  // namespace

List::List() {
    EnableScrollBar(true, false);
}

void List::Reindex() {
    for (int i = 0; i < GetCount(); ++i) {
        if (IListItem* item = AsItem(GetItemAt(i))) {
            item->SetIndex(i);
            item->SetOwner(this);
        }
    }
}

Control* List::AddAt(std::unique_ptr<Control> child, int index) {
    Control* added = VerticalLayout::AddAt(std::move(child), index);
    if (added == nullptr) {
        return nullptr;
    }
    if (cur_sel_ >= 0 && GetItemIndex(added) <= cur_sel_) {
        ++cur_sel_;
    }
    Reindex();
    return added;
}

bool List::Remove(Control* child) {
    const int index = GetItemIndex(child);
    if (index < 0) {
        return false;
    }
    if (IListItem* item = AsItem(child)) {
        item->SetOwner(nullptr);
    }
    VerticalLayout::Remove(child);
    if (index == cur_sel_) {
        cur_sel_ = -1;
    } else if (index < cur_sel_) {
        --cur_sel_;
    }
    Reindex();
    return true;
}

bool List::SelectItem(int index, bool take_focus, bool notify) {
    if (index < -1 || index >= GetCount()) {
        return false;
    }
    for (int i = 0; i < GetCount(); ++i) {
        IListItem* item = AsItem(GetItemAt(i));
        if (item != nullptr && i != index && item->IsSelected()) {
            item->Select(false, false);
        }
    }
    if (index == cur_sel_) {
        return true;
    }
    const int old = cur_sel_;
    cur_sel_ = index;
    if (index >= 0) {
        Control* control = GetItemAt(index);
        if (IListItem* item = AsItem(control)) {
            item->Select(true, false);
        }
        EnsureVisible(index);
        if (take_focus) {
            control->SetFocus();
        }
    }
    if (notify) {
        SendNotify("itemselect", static_cast<platform::WParam>(index), old);
    }
    return true;
}

bool List::SelectMultiItem(int index, bool notify) {
    if (!info_.multi_select) {
        return SelectItem(index, false, notify);
    }
    IListItem* item = AsItem(GetItemAt(index));
    if (item == nullptr) {
        return false;
    }
    item->SelectMulti(true);
    const int old = cur_sel_;
    cur_sel_ = index;
    if (notify) {
        SendNotify("itemselect", static_cast<platform::WParam>(index), old);
    }
    return true;
}

bool List::UnSelectItem(int index) {
    IListItem* item = AsItem(GetItemAt(index));
    if (item == nullptr || !item->IsSelected()) {
        return false;
    }
    item->SelectMulti(false);
    if (cur_sel_ == index) {
        const std::vector<int> selected = GetSelectedItems();
        cur_sel_ = selected.empty() ? -1 : selected.front();
    }
    return true;
}

std::vector<int> List::GetSelectedItems() const {
    std::vector<int> selected;
    for (int i = 0; i < GetCount(); ++i) {
        const IListItem* item = AsItem(GetItemAt(i));
        if (item != nullptr && item->IsSelected()) {
            selected.push_back(i);
        }
    }
    return selected;
}

void List::EnsureVisible(int index) {
    if (Control* control = GetItemAt(index)) {
        Container::EnsureVisible(control);
    }
}

void List::DoEvent(UiEvent& event) {
    if (event.type == EventType::kKeyDown && IsEnabled()) {
        int target = cur_sel_;
        switch (event.key) {
            case kKeyUp:
                target = cur_sel_ > 0 ? cur_sel_ - 1 : cur_sel_;
                break;
            case kKeyDown:
                target = cur_sel_ + 1 < GetCount() ? cur_sel_ + 1 : cur_sel_;
                break;
            case kKeyHome:
                target = GetCount() > 0 ? 0 : -1;
                break;
            case kKeyEnd:
                target = GetCount() - 1;
                break;
            default:
                VerticalLayout::DoEvent(event);
                return;
        }
        if (target != cur_sel_) {
            SelectItem(target, true, true);
        }
        return;
    }
    VerticalLayout::DoEvent(event);
}

void List::SetAttribute(std::string_view name, std::string_view value) {
    if (info_.SetAttribute(name, value)) {
        Invalidate();
        return;
    }
    VerticalLayout::SetAttribute(name, value);
}

}  // namespace calvorn::dui
